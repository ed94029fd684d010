// The simulated drive's line: pacing by line time, streaming without RTS, and the transients
// it records with RTS.
#include "sim/drive_model.h"
#include "sim/drive_sender.h"

#include "drive_stream_reader.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr qint64 kMs = 1000000;

std::unique_ptr<DriveModel> model(quint64 seed)
{
    return std::make_unique<DriveModel>(DriveModelConfig { seed, 5760, 0.0 });
}

// Runs the sender in 4 ms steps with RTS asserted and cuts what it sends into bursts: bytes
// that arrive in consecutive steps belong to one burst.
QList<QByteArray> recordBursts(DriveSender &sender, qint64 untilNs)
{
    QList<QByteArray> bursts;
    bool inBurst = false;
    for (qint64 t = sender.elapsedNs() + 4 * kMs; t <= untilNs; t += 4 * kMs) {
        const QByteArray bytes = sender.bytesDue(t, true);
        if (bytes.isEmpty()) {
            inBurst = false;
            continue;
        }
        if (!inBurst)
            bursts.append(QByteArray());
        bursts.last().append(bytes);
        inBurst = true;
    }
    return bursts;
}
} // namespace

class TestDriveSender : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aMinuteOfLineTimeCarriesRateTimesSixtyBytes_data();
    void aMinuteOfLineTimeCarriesRateTimesSixtyBytes();
    void withoutRtsEverySampleGoesOutInOrder();
    void withRtsTheDriveSendsWholeTransientsOnly();
    void aTransientOverflowsEachTriggeredBufferWithTheRiseInside_data();
    void aTransientOverflowsEachTriggeredBufferWithTheRiseInside();
    void droppingRtsCutsATransientAndTheNextOneWaitsForACrossing();
    void releasingRtsStreamsAgainAtOnce();
};

void TestDriveSender::aMinuteOfLineTimeCarriesRateTimesSixtyBytes_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<qint64>("stepNs");
    QTest::newRow("115200 baud, 4 ms chunks") << 11520 << 4 * kMs;
    QTest::newRow("115200 baud, 1 ms chunks") << 11520 << kMs;
    QTest::newRow("115200 baud, odd 7.3 ms chunks") << 11520 << qint64(7300001);
    QTest::newRow("115200 baud, whole seconds") << 11520 << 1000 * kMs;
    QTest::newRow("9600 baud, 3 ms chunks") << 960 << 3 * kMs;
    QTest::newRow("odd rate, 4 ms chunks") << 11521 << 4 * kMs;
    QTest::newRow("slowest rate") << 2 << 4 * kMs;
}

void TestDriveSender::aMinuteOfLineTimeCarriesRateTimesSixtyBytes()
{
    QFETCH(int, rate);
    QFETCH(qint64, stepNs);
    DriveSender sender(model(3), rate);
    const qint64 minute = 60000 * kMs;
    qint64 sent = 0;
    for (qint64 t = stepNs; t < minute + stepNs; t += stepNs) {
        const qint64 now = std::min(t, minute);
        sent += sender.bytesDue(now, false).size();
        // Never ahead of the line, never more than half a sample behind it.
        const qint64 budget = now * rate / (1000 * kMs);
        QVERIFY2(sent <= budget && sent >= budget - 1, qPrintable(QString::number(now)));
    }
    QCOMPARE(sent, qint64(rate) * 60);
    QCOMPARE(sender.counters().samplesSent, quint64(rate) * 30);
}

void TestDriveSender::withoutRtsEverySampleGoesOutInOrder()
{
    DriveSender sender(model(8));
    QByteArray sent;
    for (qint64 t = 5 * kMs; t <= 10000 * kMs; t += 5 * kMs)
        sent += sender.bytesDue(t, false);
    QCOMPARE(sent.size(), 115200);
    QCOMPARE(sent, model(8)->generate(57600));
    QCOMPARE(sender.counters().transientsSent, quint64(0));
}

void TestDriveSender::withRtsTheDriveSendsWholeTransientsOnly()
{
    DriveSender sender(model(21));
    const QList<QByteArray> bursts = recordBursts(sender, 60000 * kMs);
    QVERIFY2(bursts.size() >= 20, qPrintable(QString::number(bursts.size())));
    QCOMPARE(sender.counters().transientsSent, quint64(bursts.size()));
    for (const QByteArray &burst : bursts.mid(0, bursts.size() - 1)) {
        QCOMPARE(burst.size(), DriveSender::kBurstBytes);
        QList<LineSample> samples;
        QVERIFY(readLineSamples(burst, &samples));
    }
}

void TestDriveSender::aTransientOverflowsEachTriggeredBufferWithTheRiseInside_data()
{
    QTest::addColumn<int>("bufferSize");
    QTest::newRow("after start-up") << 4100;
    QTest::newRow("after choosing the triggered option") << 4000;
    QTest::newRow("after changing the CPU saver") << 12000;
}

void TestDriveSender::aTransientOverflowsEachTriggeredBufferWithTheRiseInside()
{
    QFETCH(int, bufferSize);
    for (quint64 seed = 1; seed <= 5; ++seed) {
        DriveSender sender(model(seed));
        const QList<QByteArray> bursts = recordBursts(sender, 10000 * kMs);
        QVERIFY(!bursts.isEmpty());
        const QByteArray &burst = bursts.first();
        QVERIFY(burst.size() > bufferSize);

        // What the monitor keeps: the oldest bytes of the buffer, 4100 at most. The rise must be
        // among the first 2050 bytes, the part its overview draws, after a quiet lead-in.
        const QList<LineSample> kept = lineSamples(burst.left(std::min(bufferSize, 4100)));
        const auto crossing = std::find_if(kept.begin(), kept.end(), [](const LineSample &s) {
            return s.overspin || std::abs(s.error) > DriveSender::kTriggerSteps;
        });
        const int crossingAt = int(crossing - kept.begin());
        QCOMPARE(crossingAt, DriveSender::kPretriggerSamples);
        QVERIFY(2 * crossingAt < 2050);
    }
}

void TestDriveSender::droppingRtsCutsATransientAndTheNextOneWaitsForACrossing()
{
    DriveSender sender(model(4));
    qint64 t = 0;
    while (!sender.sendingTransient()) {
        t += 4 * kMs;
        sender.bytesDue(t, true);
    }
    // The monitor closes and reopens the port to capture: RTS falls and rises in no time.
    QVERIFY(sender.bytesDue(t, false).isEmpty());
    QVERIFY(sender.bytesDue(t, true).isEmpty());
    QVERIFY(!sender.sendingTransient());

    // Nothing more of that transient; the next one is whole and starts quiet.
    const QList<QByteArray> later = recordBursts(sender, t + 20000 * kMs);
    QVERIFY(!later.isEmpty());
    QCOMPARE(later.first().size(), DriveSender::kBurstBytes);
    const QList<LineSample> lead
        = lineSamples(later.first()).mid(0, DriveSender::kPretriggerSamples);
    for (const LineSample &sample : lead)
        QVERIFY(!sample.overspin && std::abs(sample.error) <= DriveSender::kTriggerSteps);
    QCOMPARE(sender.counters().transientsSent, quint64(1 + later.size()));
}

void TestDriveSender::releasingRtsStreamsAgainAtOnce()
{
    DriveSender sender(model(5));
    recordBursts(sender, 3000 * kMs);
    const qint64 t = sender.elapsedNs();
    const QByteArray bytes = sender.bytesDue(t + 100 * kMs, false);
    QCOMPARE(bytes.size(), 1152);
    QList<LineSample> samples;
    QVERIFY(readLineSamples(bytes, &samples));
}

QTEST_APPLESS_MAIN(TestDriveSender)
#include "tst_drive_sender.moc"
