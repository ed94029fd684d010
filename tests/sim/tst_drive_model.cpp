// The simulated axis: its bytes on the line, its determinism and whether its following error
// looks like a real tuned drive's.
#include "sim/drive_model.h"

#include "drive_stream_reader.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kRate = 5760;

int seconds(double s)
{
    return int(s * kRate);
}

// One acceleration or deceleration of the profile: the samples from its start up to the start
// of the next one.
struct Stretch
{
    DriveModel::Phase phase;
    QList<int> errors;
    int phaseSamples = 0; // how many of them belong to the phase itself
};

QList<Stretch> stretches(DriveModel &model, int sampleCount)
{
    QList<Stretch> result;
    auto previous = model.phase();
    for (int i = 0; i < sampleCount; ++i) {
        const SampleValue sample = model.nextSample();
        const auto phase = model.phase();
        if (phase != previous
            && (phase == DriveModel::Phase::Accelerating
                || phase == DriveModel::Phase::Decelerating))
            result.append({ phase, {}, 0 });
        if (!result.isEmpty()) {
            result.last().errors.append(sample.deviation);
            if (phase == result.last().phase)
                ++result.last().phaseSamples;
        }
        previous = phase;
    }
    if (!result.isEmpty())
        result.removeLast(); // may be cut off
    return result;
}

int peakMagnitude(const QList<int> &errors)
{
    int peak = 0;
    for (int e : errors)
        peak = std::max(peak, std::abs(e));
    return peak;
}
} // namespace

class TestDriveModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theLineCarriesExactlyTheModelsErrors_data();
    void theLineCarriesExactlyTheModelsErrors();
    void theSeedAloneDecidesTheStream_data();
    void theSeedAloneDecidesTheStream();
    void movesPeakBetweenTensAndAFewHundredSteps_data();
    void movesPeakBetweenTensAndAFewHundredSteps();
    void accelerationRingsDownWithADampedOscillation_data();
    void accelerationRingsDownWithADampedOscillation();
    void restingErrorIsAFewStepsOfNoise_data();
    void restingErrorIsAFewStepsOfNoise();
    void overspinComesAtTheRequestedInterval_data();
    void overspinComesAtTheRequestedInterval();
};

void TestDriveModel::theLineCarriesExactlyTheModelsErrors_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<double>("overspinEvery");
    for (quint64 seed : { 1ull, 2ull, 3ull, 99ull, 4242ull, 0xFFFFFFFFFFFFFFFFull })
        QTest::addRow("seed %llu", seed) << seed << 0.0;
    QTest::newRow("over-spin every 1.5 s") << quint64(5) << 1.5;
    QTest::newRow("over-spin every 0.1 s") << quint64(6) << 0.1;
}

void TestDriveModel::theLineCarriesExactlyTheModelsErrors()
{
    QFETCH(quint64, seed);
    QFETCH(double, overspinEvery);
    const DriveModelConfig config { seed, kRate, overspinEvery };
    DriveModel reference(config);
    DriveModel sender(config);

    const int count = seconds(30);
    QList<LineSample> sent;
    QVERIFY(readLineSamples(sender.generate(count), &sent));
    QCOMPARE(sent.size(), count);
    for (int i = 0; i < count; ++i) {
        const SampleValue expected = reference.nextSample();
        const LineSample line = expected.isOverSpin()
            ? LineSample { 0, true }
            : LineSample { std::clamp(expected.deviation, -255, 255), false };
        if (!(sent[i] == line))
            QFAIL(qPrintable(QStringLiteral("sample %1: sent %2/%3, model %4/%5")
                                 .arg(i)
                                 .arg(sent[i].error)
                                 .arg(sent[i].overspin)
                                 .arg(expected.deviation)
                                 .arg(expected.isOverSpin())));
    }
}

void TestDriveModel::theSeedAloneDecidesTheStream_data()
{
    QTest::addColumn<quint64>("seedA");
    QTest::addColumn<quint64>("seedB");
    QTest::addColumn<bool>("same");
    QTest::newRow("same seed") << quint64(17) << quint64(17) << true;
    QTest::newRow("seed zero") << quint64(0) << quint64(0) << true;
    QTest::newRow("neighbouring seeds") << quint64(17) << quint64(18) << false;
    QTest::newRow("zero and one") << quint64(0) << quint64(1) << false;
}

void TestDriveModel::theSeedAloneDecidesTheStream()
{
    QFETCH(quint64, seedA);
    QFETCH(quint64, seedB);
    QFETCH(bool, same);
    DriveModel a({ seedA, kRate, 0.0 });
    DriveModel b({ seedB, kRate, 0.0 });
    const int count = seconds(10);
    QCOMPARE(a.generate(count) == b.generate(count), same);
    QCOMPARE(a.samplesTaken(), qint64(count));
}

void TestDriveModel::movesPeakBetweenTensAndAFewHundredSteps_data()
{
    QTest::addColumn<quint64>("seed");
    for (quint64 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %llu", seed) << seed;
}

void TestDriveModel::movesPeakBetweenTensAndAFewHundredSteps()
{
    QFETCH(quint64, seed);
    DriveModel model({ seed, kRate, 0.0 });
    const QList<Stretch> moves = stretches(model, seconds(120));
    QVERIFY2(moves.size() >= 100, "a move every few seconds at most");
    int above100 = 0;
    for (const Stretch &stretch : moves) {
        const int peak = peakMagnitude(stretch.errors);
        QVERIFY2(peak >= 30 && peak <= 350, qPrintable(QString::number(peak)));
        if (peak > 100)
            ++above100;
    }
    // Mostly within the line's range, with the whole range in use.
    QVERIFY(above100 >= moves.size() / 4);
}

void TestDriveModel::accelerationRingsDownWithADampedOscillation_data()
{
    movesPeakBetweenTensAndAFewHundredSteps_data();
}

void TestDriveModel::accelerationRingsDownWithADampedOscillation()
{
    QFETCH(quint64, seed);
    DriveModel model({ seed, kRate, 0.0 });
    int checked = 0;
    for (const Stretch &stretch : stretches(model, seconds(120))) {
        if (stretch.phase != DriveModel::Phase::Accelerating || peakMagnitude(stretch.errors) < 100)
            continue;
        // The ringing when the acceleration stops: count swings through +-8 steps during the
        // first 150 ms, then it must have settled into the noise.
        const QList<int> after = stretch.errors.mid(stretch.phaseSamples);
        QVERIFY(after.size() >= seconds(0.3));
        int swings = 0;
        int side = 0;
        for (int e : after.mid(0, seconds(0.15))) {
            const int now = e > 8 ? 1 : e < -8 ? -1 : 0;
            if (now != 0 && now != side) {
                ++swings;
                side = now;
            }
        }
        QVERIFY2(swings >= 3, qPrintable(QString::number(swings)));
        QVERIFY(peakMagnitude(after.mid(seconds(0.25), seconds(0.05))) <= 15);
        ++checked;
    }
    QVERIFY(checked >= 10);
}

void TestDriveModel::restingErrorIsAFewStepsOfNoise_data()
{
    movesPeakBetweenTensAndAFewHundredSteps_data();
}

void TestDriveModel::restingErrorIsAFewStepsOfNoise()
{
    QFETCH(quint64, seed);
    DriveModel model({ seed, kRate, 0.0 });
    int restingFor = 0;
    qint64 sum = 0;
    int count = 0;
    int peak = 0;
    for (int i = 0; i < seconds(120); ++i) {
        const SampleValue sample = model.nextSample();
        restingFor = model.phase() == DriveModel::Phase::Dwelling ? restingFor + 1 : 0;
        // The first quarter second of a dwell still rings from the stop.
        if (restingFor < seconds(0.25))
            continue;
        sum += std::abs(sample.deviation);
        peak = std::max(peak, std::abs(sample.deviation));
        ++count;
    }
    QVERIFY(count >= seconds(10));
    const double mean = double(sum) / count;
    QVERIFY2(mean > 0.3 && mean < 2.0, qPrintable(QString::number(mean)));
    QVERIFY2(peak >= 2 && peak <= 7, qPrintable(QString::number(peak)));
}

void TestDriveModel::overspinComesAtTheRequestedInterval_data()
{
    QTest::addColumn<double>("every");
    QTest::addColumn<QList<double>>("starts");
    QTest::newRow("never") << 0.0 << QList<double> {};
    QTest::newRow("every 2 s") << 2.0 << QList<double> { 2.0, 4.0, 6.0, 8.0 };
    QTest::newRow("every 3.5 s") << 3.5 << QList<double> { 3.5, 7.0 };
    QTest::newRow("longer than the run") << 60.0 << QList<double> {};
}

void TestDriveModel::overspinComesAtTheRequestedInterval()
{
    QFETCH(double, every);
    QFETCH(QList<double>, starts);
    DriveModel model({ 7, kRate, every });
    QList<double> seen;
    int length = 0;
    bool previous = false;
    for (int i = 0; i < seconds(10); ++i) {
        const bool overspin = model.nextSample().isOverSpin();
        if (overspin && !previous)
            seen.append(double(i) / kRate);
        if (overspin)
            ++length;
        previous = overspin;
    }
    QCOMPARE(seen, starts);
    QCOMPARE(length, int(starts.size()) * seconds(DriveModel::kOverspinSeconds));
}

QTEST_APPLESS_MAIN(TestDriveModel)
#include "tst_drive_model.moc"
