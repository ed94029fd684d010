// The live stream log on a disk that takes nothing (its rows are checked through velmora-capture).
#include "files/live_stream_log.h"

#include <QTest>

class TestLiveStreamLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aFullDiskIsReportedAndStays();
};

void TestLiveStreamLog::aFullDiskIsReportedAndStays()
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
