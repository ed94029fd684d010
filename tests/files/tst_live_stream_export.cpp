// A stretch of the live history as a file: the continuous log's header and rows, missing samples
// kept as rows, and a file that cannot be written named, with nothing left behind.
#include "files/live_stream_export.h"

#include "files/live_stream_log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(10, 15, 30, 123), Qt::OffsetFromUTC, 3600);

SampleSeries seriesOf(std::initializer_list<qint16> codes, qint64 missingFirst = 0)
{
    SampleSeries series(64);
    series.appendMissing(missingFirst);
    for (const qint16 code : codes)
        series.append(code);
    return series;
}

} // namespace

class TestLiveStreamExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aStretchReadsAsTheContinuousLog_data();
    void aStretchReadsAsTheContinuousLog();
    void aFileThatCannotBeWrittenIsNamedAndNothingIsLeft_data();
    void aFileThatCannotBeWrittenIsNamedAndNothingIsLeft();
};

void TestLiveStreamExport::aStretchReadsAsTheContinuousLog_data()
{
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("to");
    QTest::addColumn<QByteArray>("rows");
    // Samples 1000..1006 of a ring that has dropped the first thousand.
    QTest::newRow("valid, missing and over-spin")
        << 1001ll << 1006ll
        << QByteArray("0,0.000,-5,0\n1,0.174,,0\n2,0.347,,1\n3,0.521,255,0\n4,0.694,0,0\n");
    QTest::newRow("one sample") << 1006ll << 1007ll << QByteArray("0,0.000,7,0\n");
    QTest::newRow("nothing") << 1003ll << 1003ll << QByteArray();
}

void TestLiveStreamExport::aStretchReadsAsTheContinuousLog()
{
    QFETCH(qint64, from);
    QFETCH(qint64, to);
    QFETCH(QByteArray, rows);
    const SampleSeries series
        = seriesOf({ 3, -5, SampleSeries::kMissing, SampleSeries::kOverSpin, 255, 0, 7 }, 1000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.csv"));
    const QString device = QStringLiteral("/dev/serial/by-id/usb-FTDI,1");
    QCOMPARE(writeLiveStreamCsv(path, { &series, from, to, kAt, 3, device }), QString());

    // The header as velmora-capture --continuous writes it.
    const QString logPath = dir.filePath(QStringLiteral("log.csv"));
    LiveStreamLog log;
    QCOMPARE(log.open(logPath, kAt, 3, device), QString());
    QCOMPARE(log.close(), QString());
    QFile logFile(logPath);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), logFile.readAll() + rows);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestLiveStreamExport::aFileThatCannotBeWrittenIsNamedAndNothingIsLeft_data()
{
    QTest::addColumn<QString>("name"); // in a scratch folder holding old.csv and a folder "sub"
    QTest::addColumn<QString>("device");
    QTest::newRow("a folder that is not there") << "missing/part.csv"
                                                << "sim";
    QTest::newRow("a folder") << "sub"
                              << "sim";
    QTest::newRow("a device name that no line can hold") << "old.csv"
                                                         << "/dev/tty\nUSB0";
}

void TestLiveStreamExport::aFileThatCannotBeWrittenIsNamedAndNothingIsLeft()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QFile old(dir.filePath(QStringLiteral("old.csv")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("kept\n");
    old.close();

    const SampleSeries series = seriesOf({ 1, 2, 3 });
    const QString path = dir.filePath(name);
    const QString error = writeLiveStreamCsv(path, { &series, 0, 3, kAt, 1, device });
    QVERIFY2(error.startsWith(path + QStringLiteral(": ")), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("old.csv"), QStringLiteral("sub") }));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("kept\n"));
}

QTEST_GUILESS_MAIN(TestLiveStreamExport)
#include "tst_live_stream_export.moc"
