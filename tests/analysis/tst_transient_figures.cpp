// A capture's samples and figures, on signals built so that the figures follow from how they
// were built: a damped sine with peaks on samples, steps, lone pulses, gaps and shifted phases.
#include "analysis/transient_figures.h"
#include "sim/drive_model.h"
#include "sim/sim_serial_device.h"
#include "transient_sample_text.h"

#include <QMap>
#include <QPoint>
#include <QTest>

#include <cmath>

namespace {

// After a rise to sample 6, 160 * 2^(-i/6) * cos(pi i / 6) rounded: 12 samples a period (480
// Hz), halving every half-cycle, so zeta = ln 2 / sqrt(pi^2 + ln^2 2). Its peaks 160, -80, 40,
// -20, 10 fall on samples, and it ends at its sixth zero (i = 33), below the drive's resolution.
// The sample after each zero is the first one at least 3 steps across (i = 4, 10, 16, 22, 28);
// the last one beyond 10 steps is i = 19 (-15). gaps puts "m" or "o" at the given samples.
QList<TransientSample> dampedSine(const QMap<int, QString> &gaps = {})
{
    QStringList tokens = QStringLiteral("0 0 0 12 45 100").split(QLatin1Char(' '));
    for (int i = 0; i < 53; ++i)
        tokens << QString::number(
            i < 33 ? std::lround(160 * std::exp2(-i / 6.0) * std::cos(M_PI * i / 6)) : 0);
    for (auto gap = gaps.begin(); gap != gaps.end(); ++gap)
        tokens[gap.key()] = gap.value();
    return samplesOf(tokens.join(QLatin1Char(' ')));
}

// The damped sine with its zeros from i = 33 on replaced by encoder noise of 3 to 9 steps either
// way: a settled axis, whose noise crosses +-3 again and again but is no ringing.
QList<TransientSample> dampedSineThenNoise()
{
    const int noise[] = { 5, -7, 4, -9, 3, -6, 8, -4, 6, -3, 9, -5, 7, -8, 3, -4, 5, -9, 6, -3 };
    QMap<int, QString> tail;
    for (int k = 0; k < int(std::size(noise)); ++k)
        tail.insert(39 + k, QString::number(noise[k]));
    return dampedSine(tail);
}

// A move: the acceleration's peak of -200, a plateau at -100 while cruising, then the ring-down
// at the stop, 181 * 2^(-i/6) * sin(pi i / 6): extremes 128, -64, 32 on samples 3, 9, 15 of it
// (ratio 2), crossings at its samples 1, 7, 13, 19 (480 Hz), settled from its sample 23. The
// acceleration's peak is no extreme of the ring-down.
QList<TransientSample> plateauThenRingDown()
{
    QStringList tokens = QStringLiteral("0 0 -30 -120 -200 -170 -130 -110").split(QLatin1Char(' '));
    for (int i = 0; i < 20; ++i)
        tokens << QStringLiteral("-100");
    for (int i = 0; i < 40; ++i)
        tokens << QString::number(std::lround(181 * std::exp2(-i / 6.0) * std::sin(M_PI * i / 6)));
    return samplesOf(tokens.join(QLatin1Char(' ')));
}

double zetaOfRatio(double ratio)
{
    const double delta = std::log(ratio);
    return delta / std::sqrt(M_PI * M_PI + delta * delta);
}

constexpr int kNone = -1;
constexpr int kNotSettled = -2;
const QPoint kNoPoint(kNone, 0);

QPoint pointOf(const std::optional<TransientPoint> &p)
{
    return p ? QPoint(p->index, p->deviation) : kNoPoint;
}

} // namespace

class TestTransientFigures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pairsDecodeInTheMarkedPhase_data();
    void pairsDecodeInTheMarkedPhase();
    void figuresFollowTheirDefinitions_data();
    void figuresFollowTheirDefinitions();
    void aShiftedCaptureGivesTheSameFigures();
    void twoCapturesOfOneSimulatedMoveRingAlike();
    void cursorsSnapToSamplesAndSumTheValidOnes_data();
    void cursorsSnapToSamplesAndSumTheValidOnes();
    void cursorsOnARingStayOnWhatItKeeps_data();
    void cursorsOnARingStayOnWhatItKeeps();
    void rangeStatisticsAsTheLiveChartShowsThem_data();
    void rangeStatisticsAsTheLiveChartShowsThem();
};

void TestTransientFigures::pairsDecodeInTheMarkedPhase_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("samples");
    QTest::newRow("values") << QByteArray("8005 81fb 8100 0000 80ff 8101 8180 8207")
                            << "5 -5 o m 255 -255 -128 m";
    QTest::newRow("a stray first byte") << QByteArray("00 8005 81fb") << "5 -5";
    QTest::newRow("a tie takes the first byte") << QByteArray("8080 0500") << "128 m";
    QTest::newRow("a lone last byte") << QByteArray("8005 80") << "5";
    QTest::newRow("nothing") << QByteArray() << "";
}

void TestTransientFigures::pairsDecodeInTheMarkedPhase()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, samples);
    const QByteArray bytes = QByteArray::fromHex(hex);
    QCOMPARE(
        transientSamples(reinterpret_cast<const quint8 *>(bytes.constData()), int(bytes.size())),
        samplesOf(samples));
}

void TestTransientFigures::figuresFollowTheirDefinitions_data()
{
    QTest::addColumn<QList<TransientSample>>("samples");
    QTest::addColumn<int>("trigger");
    QTest::addColumn<QPoint>("peak");
    QTest::addColumn<QPoint>("overshoot");
    QTest::addColumn<int>("settle");
    QTest::addColumn<QList<int>>("crossings");
    QTest::addColumn<double>("ringHz"); // 0: none
    QTest::addColumn<double>("zeta"); // NaN: none

    // The ring-down ends where the sine settles at sample 26.
    const QList<int> sineCrossings { 10, 16, 22 };
    QTest::newRow("damped sine") << dampedSine() << 4 << QPoint(6, 160) << QPoint(12, -80) << 26
                                 << sineCrossings << 480.0 << zetaOfRatio(2);
    QTest::newRow("damped sine with gaps")
        << dampedSine({ { 7, "m" }, { 13, "o" }, { 20, "m" }, { 27, "o" }, { 45, "m" } }) << 4
        << QPoint(6, 160) << QPoint(12, -80) << 26 << sineCrossings << 480.0 << zetaOfRatio(2);
    QTest::newRow("damped sine, then a settled tail of noise")
        << dampedSineThenNoise() << 4 << QPoint(6, 160) << QPoint(12, -80) << 26 << sineCrossings
        << 480.0 << zetaOfRatio(2);
    // 28 samples before the ring-down: crossings at 29, 35, 41, 47; settled from 51.
    QTest::newRow("a plateau before the ring-down")
        << plateauThenRingDown() << 2 << QPoint(4, -200) << QPoint(31, 128) << 51
        << QList<int> { 29, 35, 41, 47 } << 480.0 << zetaOfRatio(2);
    QTest::newRow("a step that never settles")
        << samplesOf("0 0 5 50 50 50 50") << 3 << QPoint(3, 50) << kNoPoint << kNotSettled
        << QList<int>() << 0.0 << qQNaN();
    QTest::newRow("no crossing") << samplesOf("0 21 60 30 -2 11 4 -1 0") << 1 << QPoint(2, 60)
                                 << QPoint(4, -2) << 6 << QList<int>() << 0.0 << qQNaN();
    QTest::newRow("over-spin and missing samples")
        << samplesOf("o m 3 o -25 m 40 m -30 12 m -2 4") << 4 << QPoint(6, 40) << QPoint(8, -30)
        << 11 << QList<int> { 8, 9 } << 0.0 << qQNaN();
    QTest::newRow("no trigger, no ringing")
        << samplesOf("m 5 -8 3") << kNone << QPoint(2, -8) << QPoint(3, 3) << kNone << QList<int>()
        << 0.0 << qQNaN();
    QTest::newRow("ties take the first")
        << samplesOf("0 30 -30 30 -30") << 1 << QPoint(1, 30) << QPoint(2, -30) << kNotSettled
        << QList<int> { 2, 3, 4 } << 2880.0 << 0.0;
    QTest::newRow("nothing valid") << samplesOf("m o m") << kNone << kNoPoint << kNoPoint << kNone
                                   << QList<int>() << 0.0 << qQNaN();
}

void TestTransientFigures::figuresFollowTheirDefinitions()
{
    QFETCH(QList<TransientSample>, samples);
    QFETCH(int, trigger);
    QFETCH(QPoint, peak);
    QFETCH(QPoint, overshoot);
    QFETCH(int, settle);
    QFETCH(QList<int>, crossings);
    QFETCH(double, ringHz);
    QFETCH(double, zeta);

    const TransientFigures f = transientFigures(samples);
    QCOMPARE(f.trigger ? f.trigger->index : kNone, trigger);
    QCOMPARE(transientTrigger(samples).value_or(kNone), trigger);
    QCOMPARE(pointOf(f.peak), peak);
    QCOMPARE(pointOf(f.overshoot), overshoot);
    QCOMPARE(f.settling == Settling::Settled     ? *f.settleIndex
            : f.settling == Settling::NotSettled ? kNotSettled
                                                 : kNone,
        settle);
    QCOMPARE(f.crossings, crossings);
    QCOMPARE(f.ringHz.value_or(0), ringHz);
    QCOMPARE(f.damping.has_value(), !qIsNaN(zeta));
    if (f.damping)
        QVERIFY2(std::abs(*f.damping - zeta) < 1e-12, qPrintable(QString::number(*f.damping)));
}

void TestTransientFigures::aShiftedCaptureGivesTheSameFigures()
{
    const QList<TransientSample> sine = dampedSine();
    const TransientFigures expected = transientFigures(sine);
    for (int shift : { 0, 1 }) {
        QByteArray capture = QByteArray(shift, char(0x55)) + bytesOf(sine);
        capture.append(kTransientCaptureBytes - capture.size(), '\0');
        const QList<TransientSample> samples = transientSamples(
            reinterpret_cast<const quint8 *>(capture.constData()), kTransientCaptureBytes);
        QCOMPARE(samples.size(), kTransientMaxSamples - shift);
        QCOMPARE(samples.mid(0, sine.size()), sine);
        const TransientFigures f = transientFigures(samples);
        QCOMPARE(pointOf(f.peak), pointOf(expected.peak));
        QCOMPARE(f.settleIndex, expected.settleIndex);
        QCOMPARE(f.crossings, expected.crossings);
        QCOMPARE(f.damping, expected.damping);
        QCOMPARE(f.missingCount, samples.size() - sine.size());
    }
}

// The monitor's demo: the first two transients of the built-in drive, the start and the stop of
// its first move, each ringing at the simulated loop's 25 Hz.
void TestTransientFigures::twoCapturesOfOneSimulatedMoveRingAlike()
{
    const std::shared_ptr<DriveSender> drive = SimSerialDevice::makeDrive(1);
    QList<double> ringing;
    QByteArray burst;
    for (qint64 ns = 0; ringing.size() < 2 && ns < 60'000'000'000; ns += 4'000'000) {
        burst += drive->bytesDue(ns, true);
        if (drive->sendingTransient() || burst.isEmpty())
            continue;
        const TransientFigures f = transientFigures(transientSamples(
            reinterpret_cast<const quint8 *>(burst.constData()), kTransientCaptureBytes));
        QVERIFY(f.ringHz);
        ringing << *f.ringHz;
        burst.clear();
    }
    QCOMPARE(ringing.size(), 2);
    QVERIFY2(std::abs(ringing.at(0) - ringing.at(1)) <= 0.1 * ringing.at(0),
        qPrintable(QStringLiteral("%1 Hz and %2 Hz").arg(ringing.at(0)).arg(ringing.at(1))));
    for (const double hz : ringing)
        QVERIFY2(std::abs(hz - DriveModel::kRingHz) <= 0.1 * DriveModel::kRingHz,
            qPrintable(QString::number(hz)));
}

void TestTransientFigures::cursorsSnapToSamplesAndSumTheValidOnes_data()
{
    QTest::addColumn<double>("tA");
    QTest::addColumn<double>("tB");
    // tA, Δt, 1/Δt, e(A), e(B), Δe, min, max, mean, RMS
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("A on a missing sample")
        << 0.1 << 0.7
        << QStringList { "0.174 ms", "0.521 ms", "1920.0 Hz", "—", "+30 steps", "—", "-20 steps",
               "+30 steps", "5.00 steps", "25.50 steps" };
    QTest::newRow("B left of A, both beyond the ends")
        << 100.0 << -100.0
        << QStringList { "0.868 ms", "-1.042 ms", "960.0 Hz", "+5 steps", "0 steps", "-5 steps",
               "-20 steps", "+30 steps", "5.00 steps", "16.88 steps" };
    QTest::newRow("one sample") << 0.0 << 0.05
                                << QStringList { "0.000 ms", "0.000 ms", "—", "+10 steps",
                                       "+10 steps", "0 steps", "+10 steps", "+10 steps",
                                       "10.00 steps", "10.00 steps" };
}

void TestTransientFigures::cursorsSnapToSamplesAndSumTheValidOnes()
{
    QFETCH(double, tA);
    QFETCH(double, tB);
    QFETCH(QStringList, texts);
    const CursorTexts t = cursorTexts(cursorStatistics(samplesOf("0 10 m -20 o 30 5"), 1, tA, tB));
    QCOMPARE((QStringList { t.tA, t.deltaT, t.inverseDeltaT, t.eA, t.eB, t.deltaE, t.min, t.max,
                 t.mean, t.rms }),
        texts);
}

void TestTransientFigures::cursorsOnARingStayOnWhatItKeeps_data()
{
    QTest::addColumn<qint64>("gap"); // missing samples before the last 128
    QTest::addColumn<QString>("tA");
    QTest::addColumn<QString>("deltaT");
    QTest::newRow("in the ring") << 100ll << "11.111 ms"
                                 << "28.299 ms";
    QTest::newRow("beyond what an int counts") << 3'000'000'000ll << "520833333.333 ms"
                                               << "22.049 ms";
}

// A ring of 128 samples after a gap; A left of all it keeps snaps to its oldest sample, B to its
// newest.
void TestTransientFigures::cursorsOnARingStayOnWhatItKeeps()
{
    QFETCH(qint64, gap);
    QFETCH(QString, tA);
    QFETCH(QString, deltaT);
    SampleSeries ring(128);
    ring.appendMissing(gap);
    for (int i = 0; i < 128; ++i)
        ring.append(qint16(i - 64));
    const qint64 oldest = ring.begin();
    const CursorStatistics c = cursorStatistics(ring, 0, -1e12, 1e15);
    QCOMPARE(c.indexB, ring.end() - 1);
    QCOMPARE(c.indexA, oldest);
    const CursorTexts t = cursorTexts(c);
    QCOMPARE(t.tA, tA);
    QCOMPARE(t.deltaT, deltaT);
    QCOMPARE(c.moments.count, ring.stats(oldest, ring.end()).valid);
    QCOMPARE(t.eB, QStringLiteral("+63 steps"));
}

void TestTransientFigures::rangeStatisticsAsTheLiveChartShowsThem_data()
{
    QTest::addColumn<QString>("samples");
    // mean, RMS, min, max, peak-to-peak, over-spin, valid / missing
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("none") << "" << QStringList { "—", "—", "—", "—", "—", "0", "0 / 0" };
    QTest::newRow("only over-spin and missing")
        << "o m o" << QStringList { "—", "—", "—", "—", "—", "2", "0 / 1" };
    QTest::newRow("both signs") << "-20 m 30 o 5 1"
                                << QStringList { "4.00 steps", "18.21 steps", "-20 steps",
                                       "+30 steps", "50 steps", "1", "4 / 1" };
}

void TestTransientFigures::rangeStatisticsAsTheLiveChartShowsThem()
{
    QFETCH(QString, samples);
    QFETCH(QStringList, texts);
    const SampleSeries series = SampleSeries::fromSamples(samplesOf(samples));
    const RangeTexts t = rangeTexts(series.stats(series.begin(), series.end()));
    QCOMPARE(
        (QStringList { t.mean, t.rms, t.min, t.max, t.peakToPeak, t.overSpin, t.samples }), texts);
}

QTEST_APPLESS_MAIN(TestTransientFigures)
#include "tst_transient_figures.moc"
