// Where the live history puts each sample: on time, after a dropped byte, with the CPU saver,
// across a reconnect and a stop longer than the history, when the program was held up with and
// without the device losing bytes, when the drive falls silent, runs slow or floods the line.
#include "analysis/live_history.h"

#include <QTest>

#include <cmath>

namespace {

constexpr double kPeriodNs = 1e9 / kTransientSampleRateHz;
constexpr qint64 kLatencyNs = 1'000'000;
constexpr qint64 kSecond = kTransientSampleRateHz;

// Samples as the session hands them over. On the line, sample i of the stretch is sent at
// sentNs + i * linePeriods * kPeriodNs; it is handled a millisecond and a half period later,
// or, with handledNs set, all of the stretch at once, 10 ns apart, from then on (what a buffer
// kept).
struct Stretch
{
    quint64 run = 0;
    qint64 firstByte = 0;
    qint64 count = 0;
    qint64 sentNs = 0;
    int linePeriods = 1; // 31 with the CPU saver
    qint64 handledNs = -1;
};

// The stretch that follows on the line straight after `sample` samples of run 0.
Stretch live(qint64 sample, qint64 count, qint64 byte = -1)
{
    return { 0, byte < 0 ? 2 * sample : byte, count, std::llround(double(sample) * kPeriodNs), 1,
        -1 };
}

// A buffer's stretch, handled all at once, done just before sample handledBeforeSample is.
Stretch backlog(qint64 sample, qint64 count, qint64 handledBeforeSample)
{
    Stretch s = live(sample, count);
    s.handledNs
        = std::llround(double(handledBeforeSample) * kPeriodNs) + kLatencyNs - 10'000 - 10 * count;
    return s;
}

qint64 feed(LiveHistory &history, const QList<Stretch> &stretches)
{
    qint64 now = 0;
    bool first = true;
    for (const Stretch &s : stretches) {
        for (qint64 i = 0; i < s.count; ++i) {
            LiveSample sample;
            sample.value = SampleValue::valid(int(i % 200) - 100);
            sample.at = { s.run, quint64(s.firstByte + i * 2 * s.linePeriods) };
            const double sent = double(s.sentNs) + double(i * s.linePeriods) * kPeriodNs;
            // The very first sample sets the clock; a half period later on the rest keeps the
            // clock's whole samples off their edges.
            now = s.handledNs >= 0 ? s.handledNs + 10 * i
                                   : std::llround(sent + kLatencyNs + (first ? 0 : kPeriodNs / 2));
            first = false;
            history.add(sample, now);
        }
    }
    return now;
}

// "100v 3m 2o": the series from its oldest kept sample, in runs of valid, missing and over-spin.
QString runs(const SampleSeries &series)
{
    QStringList parts;
    QChar kind;
    qint64 length = 0;
    for (qint64 i = series.begin(); i <= series.end(); ++i) {
        const qint16 code = i < series.end() ? series.at(i) : qint16(0);
        const QChar now = i == series.end()   ? QChar()
            : code == SampleSeries::kMissing  ? QLatin1Char('m')
            : code == SampleSeries::kOverSpin ? QLatin1Char('o')
                                              : QLatin1Char('v');
        if (now == kind) {
            ++length;
            continue;
        }
        if (length > 0)
            parts << QString::number(length) + kind;
        kind = now;
        length = 1;
    }
    return parts.join(QLatin1Char(' '));
}

QString repeated(const QString &unit, int times, const QString &last)
{
    return unit.repeated(times) + last;
}

} // namespace

Q_DECLARE_METATYPE(Stretch)

class TestLiveHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachSampleGoesWhereItWasOnTheLine_data();
    void eachSampleGoesWhereItWasOnTheLine();
    void aStopLongerThanTheHistoryLeavesOnlyWhatCameAfter();
    void samplesKeepTheWallClockTimeTheyCameIn();
};

void TestLiveHistory::eachSampleGoesWhereItWasOnTheLine_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QList<Stretch>>("stretches");
    QTest::addColumn<QString>("runs"); // empty: valid samples only, no more than the ring keeps

    QTest::newRow("on time") << 10 << QList<Stretch> { live(0, 2000) } << "2000v";
    // Reads at bytes 0..198; the read at 200 shows nothing and byte 202 is dropped.
    QTest::newRow("a byte dropped to get back onto the pairs")
        << 10 << QList<Stretch> { live(0, 100), live(101, 100, 203) } << "100v 1m 100v";
    QTest::newRow("the CPU saver's reads") << 10 << QList<Stretch> { { 0, 0, 100, 0, 31, -1 } }
                                           << repeated(QStringLiteral("1v 30m "), 99, "1v");
    QTest::newRow("a reconnect two seconds later")
        << 10
        << QList<Stretch> { live(0, 100),
               { 1, 0, 100, std::llround((100 + 2 * kSecond) * kPeriodNs), 1, -1 } }
        << "100v 11520m 100v";
    QTest::newRow("held up half a second, the device kept every byte")
        << 10 << QList<Stretch> { live(0, 100), backlog(100, 2880, 2980), live(2980, 1000) }
        << "3980v";
    QTest::newRow("held up a second, the bytes read in pieces")
        << 10
        << QList<Stretch> { live(0, 100), backlog(100, 2048, 5860), backlog(2148, 2048, 5872),
               backlog(4196, 1664, 5884), live(5860, 1000) }
        << "6860v";
    // The device kept its buffer's 32 768 samples and lost the next 24 832 of the 10 s.
    QTest::newRow("held up ten seconds, the device lost what its buffer could not hold")
        << 10
        << QList<Stretch> { live(0, 100), backlog(100, 32768, 57700),
               { 0, 2 * 32868, 3000, std::llround(57700 * kPeriodNs), 1, -1 } }
        << "32868v 24832m 3000v";
    QTest::newRow("the drive silent for a second")
        << 10
        << QList<Stretch> { live(0, 100),
               { 0, 200, 3000, std::llround((100 + kSecond) * kPeriodNs), 1, -1 } }
        << "100v 5760m 3000v";
    // A million samples handled in 10 ms, and the line goes on from there.
    QTest::newRow("a flood far above the line rate")
        << 1 << QList<Stretch> { backlog(0, 1'000'000, 0), { 0, 2'000'000, 1000, 0, 1, -1 } }
        << QString();
}

void TestLiveHistory::eachSampleGoesWhereItWasOnTheLine()
{
    QFETCH(int, minutes);
    QFETCH(QList<Stretch>, stretches);
    QFETCH(QString, runs);

    LiveHistory history(minutes, 0);
    const qint64 memory = history.series().memoryBytes();
    const qint64 last = feed(history, stretches);
    history.settle(last + 1'000'000'000);
    QCOMPARE(history.heldCount(), 0);
    const SampleSeries &series = history.series();
    qint64 taken = 0;
    for (const Stretch &s : std::as_const(stretches))
        taken += s.count;
    QCOMPARE(history.samplesTaken(), quint64(taken));
    QCOMPARE(series.memoryBytes(), memory);
    if (runs.isEmpty()) {
        const RangeStats all = series.stats(series.begin(), series.end());
        QCOMPARE(all.valid, series.end() - series.begin());
        QVERIFY(all.valid <= minutes * 60 * kSecond + SampleSeries::kBlockSamples);
        QCOMPARE(series.end(), taken);
    } else {
        QCOMPARE(::runs(series), runs);
    }
}

// Eight minutes of a drive whose crystal is 300 ppm slow fall 144 ms behind the computer's clock:
// no gap, and the times follow the computer's clock. Then a reconnect two seconds later.
void TestLiveHistory::samplesKeepTheWallClockTimeTheyCameIn()
{
    const qint64 wall = 1'760'000'000'000;
    const double slow = 1.0003;
    LiveHistory history(10, wall);
    QList<Stretch> stretches;
    for (qint64 second = 0; second < 480; ++second)
        stretches << Stretch { 0, 2 * second * kSecond, kSecond,
            std::llround(double(second * kSecond) * kPeriodNs * slow), 1, -1 };
    stretches << Stretch { 1, 0, 100,
        std::llround((480 * kSecond * slow + 2 * kSecond) * kPeriodNs), 1, -1 };
    feed(history, stretches);

    const SampleSeries &series = history.series();
    QCOMPARE(series.stats(0, 480 * kSecond).valid, 480 * kSecond);
    const auto ms = [&](qint64 index) { return history.timeOf(index).toMSecsSinceEpoch() - wall; };
    QCOMPARE(ms(0), 1);
    const qint64 late = 479 * kSecond;
    QVERIFY(std::abs(ms(late) - 1 - std::llround(double(late) * kPeriodNs * slow / 1e6)) <= 5);
    const qint64 firstAfter = series.end() - 100;
    QCOMPARE(series.at(firstAfter - 1), SampleSeries::kMissing);
    QVERIFY(std::abs(ms(firstAfter) - 1 - (480'144 + 2'000)) <= 5);
}

void TestLiveHistory::aStopLongerThanTheHistoryLeavesOnlyWhatCameAfter()
{
    LiveHistory history(1, 0);
    const qint64 memory = history.series().memoryBytes();
    const qint64 twentyMinutes = 20 * 60 * kSecond;
    feed(history,
        { live(0, 1000), { 1, 6, 100, std::llround((1000 + twentyMinutes) * kPeriodNs), 1, -1 } });
    const SampleSeries &series = history.series();
    QCOMPARE(series.end(), 1000 + twentyMinutes + 100);
    const RangeStats kept = series.stats(series.begin(), series.end());
    QCOMPARE(kept.valid, 100);
    QVERIFY(series.end() - series.begin() <= 60 * kSecond + 2 * SampleSeries::kBlockSamples);
    QCOMPARE(series.memoryBytes(), memory);
}

QTEST_APPLESS_MAIN(TestLiveHistory)
#include "tst_live_history.moc"
