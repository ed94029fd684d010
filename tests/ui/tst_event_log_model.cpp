// The event log's table: newest first, a row's later detail shown where the row is, and the
// oldest row leaving as the log drops it.
#include "ui/event_log_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestEventLogModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsTheLogNewestFirst();
};

void TestEventLogModel::followsTheLogNewestFirst()
{
    const QDateTime t
        = QDateTime::fromString(QStringLiteral("2026-12-08T10:15:30.125Z"), Qt::ISODateWithMs);
    EventLog log;
    log.add({ t, QStringLiteral("start"), QString() });
    EventLogModel model(log);
    // Its checks after each change take time in proportion to the rows: the first few only.
    auto tester = std::make_unique<QAbstractItemModelTester>(
        &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const EventLog::RowId run = log.addOpen({ t, QStringLiteral("over-spin"), QString() });
    log.add({ t.addSecs(1), QStringLiteral("resync"), QStringLiteral("1 byte dropped") });
    log.setDetail(run, QStringLiteral("4 samples, 0.7 ms"));
    const auto text
        = [&](int row, int column) { return model.index(row, column).data().toString(); };
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(text(0, EventLogModel::TimeColumn) + ' ' + text(0, EventLogModel::DetailColumn),
        "10:15:31.125 1 byte dropped");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(text(1, EventLogModel::DetailColumn), QStringLiteral("4 samples, 0.7 ms"));

    tester.reset();
    for (int n = 1; n <= EventLog::kMaxRows; ++n)
        log.add({ t, QStringLiteral("resync"), QString::number(n) });
    QCOMPARE(model.rowCount(), EventLog::kMaxRows);
    QCOMPARE(text(0, EventLogModel::DetailColumn), QString::number(EventLog::kMaxRows));
    QCOMPARE(text(EventLog::kMaxRows - 1, EventLogModel::DetailColumn), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestEventLogModel)
#include "tst_event_log_model.moc"
