// events.csv: the finished rows of an event log appended under one header, and a file that
// cannot be written said once per run of failures while the log goes on.
#include "analysis/event_log.h"
#include "files/event_csv_log.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestEventCsvLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsGoInOnceFinishedAndFailuresAreSaidOnce();
};

void TestEventCsvLog::rowsGoInOnceFinishedAndFailuresAreSaidOnce()
{
    QTemporaryDir temp;
    const QString dir = temp.filePath(QStringLiteral("rec"));
    QVERIFY(QDir().mkpath(dir));
    EventLog log;
    EventCsvLog file(EventCsvLog::pathIn(dir));
    file.listen(log);
    QSignalSpy failed(&file, &EventCsvLog::writeFailed);
    const auto contents = [&] {
        QFile read(file.path());
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    };
    const QDateTime t = QDateTime::fromString("2026-12-08T10:15:30.125-03:30", Qt::ISODateWithMs);
    const auto add = [&](const char *event, const char *detail = "") {
        log.add({ t, event, detail });
    };

    add("start", "continuous, Comm 1 (/dev/ttyUSB0)");
    const EventLog::RowId run = log.addOpen({ t, QStringLiteral("over-spin"), QString() });
    add("stop");
    log.setDetail(run, QStringLiteral("said \"3\"\nsamples"));
    log.finish(run);
    QCOMPARE(contents(),
        "time,event,detail\n"
        "2026-12-08T10:15:30.125-03:30,start,\"continuous, Comm 1 (/dev/ttyUSB0)\"\n"
        "2026-12-08T10:15:30.125-03:30,stop,\n"
        "2026-12-08T10:15:30.125-03:30,over-spin,\"said \"\"3\"\"\nsamples\"\n");

    // The folder removed: said once, however many rows fail; said again only after a row got in.
    QVERIFY(QDir(dir).removeRecursively());
    add("resync");
    add("stop");
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), file.path() + ": No such file or directory");
    QVERIFY(QDir().mkpath(dir));
    add("start", "x");
    QCOMPARE(contents(), "time,event,detail\n2026-12-08T10:15:30.125-03:30,start,x\n");
    QVERIFY(QDir(dir).removeRecursively());
    add("stop");
    QCOMPARE(failed.size(), 2);
}

QTEST_GUILESS_MAIN(TestEventCsvLog)
#include "tst_event_csv_log.moc"
