// The live stream log: its header and rows, and a disk that takes nothing.
#include "files/live_stream_log.h"

#include <QTemporaryDir>
#include <QTest>

class TestLiveStreamLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void samplesAreWrittenOnTheDrivesClock();
    void aFullDiskIsReported();
};

void TestLiveStreamLog::samplesAreWrittenOnTheDrivesClock()
{
    QTemporaryDir dir;
    const QDateTime at
        = QDateTime::fromString(QStringLiteral("2026-12-08T10:15:30.123+01:00"), Qt::ISODateWithMs);
    QCOMPARE(LiveStreamLog::fileName(at), QStringLiteral("live-20261208-101530-123.csv"));
    LiveStreamLog log;
    const QString path = dir.filePath(LiveStreamLog::fileName(at));
    QCOMPARE(log.open(path, at, 4, QStringLiteral("/dev/ttyUSB3")), QString());
    LiveSample positive;
    positive.magnitude = 37;
    LiveSample negative;
    negative.negative = true;
    negative.magnitude = 255;
    LiveSample overSpin;
    overSpin.negative = true;
    overSpin.overSpin = true;
    for (const LiveSample &sample : { positive, negative, overSpin, LiveSample() })
        log.append(sample);
    QCOMPARE(log.close(), QString());
    QCOMPARE(log.sampleCount(), 4);
    QCOMPARE(log.overSpinCount(), 1);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Sample n is n / 5760 s after the first.
    QCOMPARE(file.readAll(),
        QByteArray("# Velmora Servo Monitor live stream\n"
                   "# captured_at,2026-12-08T10:15:30.123+01:00\n"
                   "# port,Comm 4,/dev/ttyUSB3\n"
                   "# sample_rate_hz,5760\n"
                   "# trigger_index,\n"
                   "index,time_ms,deviation_steps,over_spin\n"
                   "0,0.000,37,0\n"
                   "1,0.174,-255,0\n"
                   "2,0.347,,1\n"
                   "3,0.521,0,0\n"));
}

void TestLiveStreamLog::aFullDiskIsReported()
{
    LiveStreamLog log;
    const QString error = log.open(
        QStringLiteral("/dev/full"), QDateTime::currentDateTime(), 1, QStringLiteral("sim"));
    QVERIFY2(error.startsWith(QStringLiteral("/dev/full: ")), qPrintable(error));
    log.append(LiveSample());
    QCOMPARE(log.close(), error);
}

QTEST_GUILESS_MAIN(TestLiveStreamLog)
#include "tst_live_stream_log.moc"
