// The event log's rules, fed as a capture session reports: one row per start, stop, failure and
// capture, over-spin runs and bursts of resyncs as one row each, finished with their length, and
// the newest 10 000 rows kept.
#include "analysis/session_event_recorder.h"
#include "transient_sample_text.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QDateTime kT0
    = QDateTime::fromString(QStringLiteral("2026-12-08T10:15:30+01:00"), Qt::ISODate);

QString rowText(const EventRow &row)
{
    return QStringLiteral("%1 %2: %3").arg(kT0.msecsTo(row.time)).arg(row.event, row.detail);
}

} // namespace

class TestEventLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void whatTheSessionReportsBecomesRows_data();
    void whatTheSessionReportsBecomesRows();
    void theNewestRowsAreKept();
};

void TestEventLog::whatTheSessionReportsBecomesRows_data()
{
    QTest::addColumn<bool>("saver");
    // "ms report"; o and v are over-spin and valid samples, quiet waits for the burst's end
    QTest::addColumn<QString>("feed");
    QTest::addColumn<QString>("rows"); // oldest first
    QTest::addColumn<QString>("finished"); // the events in the order they were finished

    // clang-format off
    QTest::newRow("start, failures, stop") << false << "0 start c; 5 fail; 6 start t; 9 lost; 2509 start t; 2509 back; 2600 stop"
        << "0 start: continuous, Comm 1 (ttyS0) | 5 start-failed: 8005 Device or resource busy | 6 start: triggered, Comm 1 (ttyS0) | 9 link-lost: 8012 Input/output error | 2509 start: triggered, Comm 1 (ttyS0) | 2509 link-back: after 2.5 s | 2600 stop: "
        << "start start-failed start link-lost start link-back stop";
    QTest::newRow("captures") << false << "0 capture 0 0 30 -12 5 0; 1 capture 0 5 -3 2; 2 capture 0 30 -25"
        << "0 capture: trigger 2, peak 30 steps, overshoot -12 steps, settling 0.347 ms | 1 capture: trigger \u2014, peak 5 steps, overshoot -3 steps, settling \u2014 | 2 capture: trigger 1, peak 30 steps, overshoot -25 steps, settling not settled"
        << "capture capture capture";
    QTest::newRow("over-spin runs end on a valid sample and a stop") << false << "5 ooo; 6 v; 7 oooooo; 8 stop"
        << "5 over-spin: 3 samples, 0.5 ms | 7 over-spin: 6 samples, 1.0 ms | 8 stop: " << "over-spin over-spin stop";
    QTest::newRow("over-spin with the CPU saver on") << true << "0 start c; 5 oo; 6 lost"
        << "0 start: continuous, Comm 1 (ttyS0) | 5 over-spin: 2 samples read, about 5.4 ms (CPU saver on) | 6 link-lost: 8012 Input/output error"
        << "start over-spin link-lost";
    QTest::newRow("resyncs less than a second apart fold") << false << "100 resync; 600 resync; 1599 resync; 2600 resync; 2700 stop"
        << "100 resync: 3 bytes dropped | 2600 resync: 1 byte dropped | 2700 stop: " << "resync resync stop";
    QTest::newRow("a burst ends once quiet") << false << "5 resync; 6 resync; 7 quiet"
        << "5 resync: 2 bytes dropped" << "resync";
    QTest::newRow("a run inside a burst ends first") << false << "5 resync; 6 o; 7 v; 8 start c"
        << "5 resync: 1 byte dropped | 6 over-spin: 1 sample, 0.2 ms | 8 start: continuous, Comm 1 (ttyS0)" << "over-spin resync start";
    // clang-format on
}

void TestEventLog::whatTheSessionReportsBecomesRows()
{
    QFETCH(bool, saver);
    QFETCH(QString, feed);
    QFETCH(QString, rows);
    QFETCH(QString, finished);

    CaptureSession session(nullptr);
    session.setDeviceNamer([](int port) { return QStringLiteral("ttyS%1").arg(port - 1); });
    session.cpuSaverChanged(saver);
    EventLog log;
    SessionEventRecorder recorder(session, log);
    QDateTime now;
    recorder.setClock([&now] { return now; });
    QStringList finishedEvents;
    connect(&log, &EventLog::rowFinished, &log, [&](const EventRow &row) {
        QVERIFY2(rows.contains(rowText(row)), qPrintable(rowText(row)));
        finishedEvents << row.event;
    });

    using Mode = CaptureSession::Mode;
    for (const QString &step : feed.split(QStringLiteral("; "))) {
        now = kT0.addMSecs(step.section(' ', 0, 0).toInt());
        const QString report = step.section(' ', 1);
        if (report.startsWith(QLatin1String("start")))
            Q_EMIT session.started(report.endsWith('c') ? Mode::Continuous : Mode::Triggered, 1);
        else if (report.startsWith(QLatin1String("capture")))
            Q_EMIT session.transientCaptured({ now, 1, {}, {}, samplesOf(report.mid(8)), {} });
        else if (report == QLatin1String("stop"))
            Q_EMIT session.stopped();
        else if (report == QLatin1String("fail"))
            Q_EMIT session.startFailed(Mode::Triggered, 8005, "Device or resource busy");
        else if (report == QLatin1String("lost"))
            Q_EMIT session.deviceFailed(8012, QStringLiteral("Input/output error"));
        else if (report == QLatin1String("back"))
            Q_EMIT session.linkBack();
        else if (report == QLatin1String("resync"))
            Q_EMIT session.resynced();
        else if (report == QLatin1String("quiet"))
            QTRY_VERIFY(!finishedEvents.isEmpty());
        for (const QChar kind :
            report.count('o') + report.count('v') == report.size() ? report : "") {
            LiveSample sample;
            sample.value = kind == 'o' ? SampleValue::overSpin() : SampleValue::valid(3);
            Q_EMIT session.liveSample(sample);
        }
    }

    QStringList shown;
    for (int row = log.count() - 1; row >= 0; --row)
        shown << rowText(log.at(row));
    QCOMPARE(shown.join(QLatin1String(" | ")), rows);
    QCOMPARE(finishedEvents.join(' '), finished);
}

// The first row is left open all along, and is finished with its last detail though dropped.
void TestEventLog::theNewestRowsAreKept()
{
    const int added = 3 * EventLog::kMaxRows;
    EventLog log;
    QSignalSpy finished(&log, &EventLog::rowFinished);
    const EventLog::RowId first = log.addOpen({ kT0, QStringLiteral("1"), QString() });
    for (int n = 2; n <= added; ++n)
        log.add({ kT0, QString::number(n), QString() });
    log.setDetail(first, QStringLiteral("done"));
    log.finish(first);

    QCOMPARE(log.count(), EventLog::kMaxRows);
    QCOMPARE(log.at(0).event, QString::number(added));
    QCOMPARE(log.at(EventLog::kMaxRows - 1).event, QString::number(added - EventLog::kMaxRows + 1));
    QCOMPARE(log.rowOf(first), -1);
    QCOMPARE(finished.size(), added);
    QCOMPARE(rowText(finished.last().at(0).value<EventRow>()), QStringLiteral("0 1: done"));
}

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_event_log.moc"
