// The compact sample store: what the ring keeps and statistics over any range against a plain
// count, the codes of each kind, and the memory for ten minutes of stream.
#include "analysis/sample_series.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

// Random deviations over the whole range with missing and over-spin samples among them, and two
// whole blocks of missing samples, whose empty envelope must not reach min or max.
std::vector<qint16> randomCodes(qint64 count)
{
    QRandomGenerator random(20240611);
    std::vector<qint16> codes;
    for (qint64 i = 0; i < count; ++i) {
        const int roll = random.bounded(100);
        if ((i >= 256 && i < 384) || roll < 5)
            codes.push_back(SampleSeries::kMissing);
        else if (roll < 10)
            codes.push_back(SampleSeries::kOverSpin);
        else
            codes.push_back(qint16(random.bounded(-255, 256)));
    }
    return codes;
}

RangeStats bruteForce(const std::vector<qint16> &codes, qint64 from, qint64 to)
{
    RangeStats s;
    for (qint64 i = from; i < to; ++i) {
        const int code = codes[size_t(i)];
        if (code == SampleSeries::kMissing) {
            ++s.missing;
        } else if (code == SampleSeries::kOverSpin) {
            ++s.overSpin;
        } else {
            ++s.valid;
            s.min = std::min(s.min.value_or(code), code);
            s.max = std::max(s.max.value_or(code), code);
            s.sum += code;
            s.sumOfSquares += code * code;
        }
    }
    return s;
}

} // namespace

class TestSampleSeries : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheNewestAndCountsAnyRange_data();
    void keepsTheNewestAndCountsAnyRange();
    void samplesKeepTheirKind();
    void aGapIsAsManyMissingSamples_data();
    void aGapIsAsManyMissingSamples();
    void tenMinutesTakeAboutEightMegabytesOnce();
};

void TestSampleSeries::keepsTheNewestAndCountsAnyRange_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<qint64>("appended");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("to");
    QTest::addColumn<qint64>("begin"); // the oldest kept
    QTest::newRow("within one block") << 0ll << 1000ll << 10ll << 50ll << 0ll;
    QTest::newRow("across blocks") << 0ll << 1000ll << 33ll << 901ll << 0ll;
    QTest::newRow("the missing blocks") << 0ll << 1000ll << 250ll << 400ll << 0ll;
    QTest::newRow("up to the open block's end") << 0ll << 1000ll << 100ll << 1000ll << 0ll;
    QTest::newRow("beyond both ends") << 0ll << 1000ll << -50ll << 5000ll << 0ll;
    QTest::newRow("reversed") << 0ll << 1000ll << 600ll << 500ll << 0ll;
    QTest::newRow("ring, first block dropped") << 1000ll << 1088ll << 0ll << 1088ll << 64ll;
    QTest::newRow("ring, across its seam") << 1000ll << 5000ll << 4300ll << 4950ll << 3968ll;
    QTest::newRow("ring, partly dropped") << 1000ll << 5000ll << 3000ll << 4100ll << 3968ll;
    QTest::newRow("ring, all dropped") << 1000ll << 5000ll << 100ll << 2000ll << 3968ll;
    QTest::newRow("ring of one block") << 64ll << 200ll << 0ll << 200ll << 128ll;
}

void TestSampleSeries::keepsTheNewestAndCountsAnyRange()
{
    QFETCH(qint64, capacity);
    QFETCH(qint64, appended);
    QFETCH(qint64, from);
    QFETCH(qint64, to);
    QFETCH(qint64, begin);
    const std::vector<qint16> codes = randomCodes(appended);
    SampleSeries series(capacity);
    for (const qint16 code : codes)
        series.append(code);
    QCOMPARE(series.begin(), begin);
    QCOMPARE(series.end(), appended);
    QCOMPARE(series.at(begin), codes[size_t(begin)]);
    QCOMPARE(series.at(begin - 1), SampleSeries::kMissing);

    const RangeStats got = series.stats(from, to);
    const RangeStats want
        = bruteForce(codes, std::clamp(from, begin, appended), std::clamp(to, begin, appended));
    QCOMPARE(got.valid, want.valid);
    QCOMPARE(got.missing, want.missing);
    QCOMPARE(got.overSpin, want.overSpin);
    QCOMPARE(got.min, want.min);
    QCOMPARE(got.max, want.max);
    QCOMPARE(got.sum, want.sum);
    QCOMPARE(got.sumOfSquares, want.sumOfSquares);
}

void TestSampleSeries::samplesKeepTheirKind()
{
    const QList<TransientSample> samples {
        { 0, SampleKind::Valid, -255 }, { 1, SampleKind::Valid, 17 },
        { 2, SampleKind::OverSpin, 0 }, { 3, SampleKind::Missing, 0 },
        { 4, SampleKind::Valid, 400 }, // beyond what the drive sends: held at the limit
    };
    SampleSeries series = SampleSeries::fromSamples(samples);
    series.append(qint16(-1000));
    const QList<qint16> codes { series.at(0), series.at(1), series.at(2), series.at(3),
        series.at(4), series.at(5) };
    QCOMPARE(codes,
        QList<qint16>({ -255, 17, SampleSeries::kOverSpin, SampleSeries::kMissing, 255, -255 }));
}

void TestSampleSeries::aGapIsAsManyMissingSamples_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<qint64>("before"); // samples appended before the gap
    QTest::addColumn<qint64>("gap");
    QTest::newRow("within the open block") << 0ll << 10ll << 20ll;
    QTest::newRow("whole blocks and parts") << 0ll << 70ll << 1000ll;
    QTest::newRow("ring, across its seam") << 1000ll << 900ll << 300ll;
    QTest::newRow("ring, longer than the ring") << 1000ll << 130ll << 5000ll;
    QTest::newRow("ring, far longer, from a block's start") << 1000ll << 1024ll << 10'000'000ll;
    QTest::newRow("ring, skipping ahead before it is full") << 10'000ll << 70ll << 123'456ll;
}

// The same as appending the missing samples one by one, then going on as before.
void TestSampleSeries::aGapIsAsManyMissingSamples()
{
    QFETCH(qint64, capacity);
    QFETCH(qint64, before);
    QFETCH(qint64, gap);
    const std::vector<qint16> codes = randomCodes(before + 200);
    SampleSeries oneByOne(capacity);
    SampleSeries atOnce(capacity);
    for (qint64 i = 0; i < before; ++i) {
        oneByOne.append(codes[size_t(i)]);
        atOnce.append(codes[size_t(i)]);
    }
    for (qint64 i = 0; i < gap; ++i)
        oneByOne.append(SampleSeries::kMissing);
    atOnce.appendMissing(gap);
    for (qint64 i = before; i < before + 200; ++i) {
        oneByOne.append(codes[size_t(i)]);
        atOnce.append(codes[size_t(i)]);
    }
    QCOMPARE(atOnce.begin(), oneByOne.begin());
    QCOMPARE(atOnce.end(), before + gap + 200);
    for (qint64 i = atOnce.begin(); i < atOnce.end(); ++i) {
        if (atOnce.at(i) != oneByOne.at(i))
            QFAIL(qPrintable(QStringLiteral("sample %1 differs").arg(i)));
    }
    const RangeStats a = atOnce.stats(atOnce.begin(), atOnce.end());
    const RangeStats b = oneByOne.stats(oneByOne.begin(), oneByOne.end());
    QCOMPARE(a.missing, b.missing);
    QCOMPARE(a.valid, b.valid);
    QCOMPARE(a.sum, b.sum);
    QVERIFY(capacity == 0 || atOnce.memoryBytes() == SampleSeries(capacity).memoryBytes());
}

void TestSampleSeries::tenMinutesTakeAboutEightMegabytesOnce()
{
    const qint64 tenMinutes = 600ll * kTransientSampleRateHz;
    SampleSeries series(tenMinutes);
    const qint64 before = series.memoryBytes();
    for (qint64 i = 0; i < tenMinutes + tenMinutes / 10; ++i)
        series.append(qint16(i % 100));
    QCOMPARE(series.memoryBytes(), before);
    QVERIFY2(before <= 8'400'000, qPrintable(QString::number(before)));
    QVERIFY(series.end() - series.begin() >= tenMinutes);
}

QTEST_APPLESS_MAIN(TestSampleSeries)
#include "tst_sample_series.moc"
