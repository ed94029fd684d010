// The live chart end to end on a real pseudo-terminal behind a link: garbage on the line, a
// flood far above the line rate and more than the chart keeps, then the adapter pulled and
// plugged back. The chart stays consistent: gaps where samples were missing, the newest samples
// at the end, and never more memory than its ring.
#include "folap_harness.h"
#include "pty_pair.h"
#include "ui/event_log_model.h"
#include "ui/live_chart.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>

namespace {

constexpr qint64 kMinute = 60ll * kTransientSampleRateHz;

QByteArray pairs(qint64 count, quint8 value)
{
    return QByteArray(1, char(128)).append(char(value)).repeated(count);
}

// Bytes that are never markers.
QByteArray garbage(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = char(1 + i % 120);
    return bytes;
}

} // namespace

class TestLiveChartPty : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void garbageAFloodAndAReconnectLeaveTheChartConsistent();
};

void TestLiveChartPty::garbageAFloodAndAReconnectLeaveTheChartConsistent()
{
    FolapHarness h("Minta=2\n[Options]\nReconnect=true\nLiveHistoryMinutes=1\n");
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("velmora-drive"));
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->slavePath(), link));
    h.portMap.setDevice(1, link);
    h.start(h.portMap.factory());
    QString listedAt = pty->slavePath();
    h.window->session().deviceWatch().setPortScan([&listedAt] {
        return QList<AvailablePort> { { listedAt, {}, {}, QStringLiteral("A10K3X"), false, 0, 0 } };
    });
    h.window->findChild<QAction *>(QStringLiteral("LiveChart"))->trigger();
    const LiveHistory &history = h.window->liveChart()->history();
    const SampleSeries &series = history.series();
    const qint64 memory = series.memoryBytes();
    h.control<QAbstractButton>(QStringLiteral("Foly"))->click();
    h.control<QAbstractButton>(QStringLiteral("FStart"))->click();

    // 999 bytes of garbage: 499 reads that show nothing, the last one ending on the next pair's
    // marker, whose value is dropped with it.
    QVERIFY(pty->write(pairs(1000, 5) + garbage(999) + pairs(1001, 253)));
    QTRY_COMPARE(history.samplesTaken(), quint64(2000));
    QCOMPARE(series.end(), 1000 + 500 + 1000);
    const RangeStats start = series.stats(0, series.end());
    QCOMPARE(start.missing, 500);
    QCOMPARE(series.at(1499), SampleSeries::kMissing);
    QCOMPARE(series.at(1500), qint16(253));

    // More than the chart keeps, far faster than a drive sends it: one sample after another.
    const qint64 flood = kMinute + kMinute / 10;
    QVERIFY(pty->write(pairs(flood, 9)));
    QTRY_COMPARE(history.samplesTaken(), quint64(2000 + flood));
    QCOMPARE(series.end(), 2500 + flood);
    QCOMPARE(series.stats(series.begin(), series.end()).valid, series.end() - series.begin());
    QVERIFY(series.end() - series.begin() <= kMinute + SampleSeries::kBlockSamples);
    // Nor does the timing kept beside the ring grow with the flood.
    QVERIFY2(history.memoryBytes() - memory < 64 * 1024,
        qPrintable(QString::number(history.memoryBytes() - memory)));

    // Pulled and plugged back: the time it was away is a gap before the new run's samples.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Comm 1: ")));
    pty->closeMaster();
    QTRY_COMPARE(h.control<QLabel>(QStringLiteral("LED"))->toolTip(), "waiting for " + link);
    pty = std::make_unique<PtyPair>();
    listedAt = pty->slavePath();
    QFile::remove(link);
    QVERIFY(QFile::link(pty->slavePath(), link));
    QTRY_VERIFY(h.window->MSComm().PortOpen());
    QVERIFY(pty->write(pairs(100, 1)));
    QTRY_COMPARE(history.samplesTaken(), quint64(2000 + flood + 100));
    QVERIFY(series.end() > 2500 + flood + 100);
    QCOMPARE(series.at(series.end() - 101), SampleSeries::kMissing);
    QCOMPARE(series.stats(series.end() - 100, series.end()).valid, 100);
    QCOMPARE(series.memoryBytes(), memory);

    // The window's log has the run in order, newest first: the byte dropped to find the pairs
    // again, the adapter pulled and back.
    const QAbstractItemModel *log
        = h.window->liveChart()->findChild<QTableView *>(QStringLiteral("eventLog"))->model();
    QStringList events;
    for (int row = log->rowCount() - 1; row >= 0; --row)
        events.append(log->index(row, EventLogModel::EventColumn).data().toString());
    QCOMPARE(events, QStringList({ "start", "resync", "link-lost", "link-back" }));
}

QTEST_MAIN(TestLiveChartPty)
#include "tst_live_chart_pty.moc"
