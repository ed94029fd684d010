// Recording into a folder: captures read back as recorded and listed in the history, names taken
// within one millisecond, and folders and files that cannot be written.
#include "capture/capture_session.h"
#include "fake_serial_device.h"
#include "files/transient_csv.h"
#include "files/transient_recorder.h"
#include "transient_sample_text.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TransientCapture captureOf(const QString &samples)
{
    return { QDateTime::fromString(
                 QStringLiteral("2026-12-08T10:15:30.123+01:00"), Qt::ISODateWithMs),
        4, QStringLiteral("/dev/ttyUSB3"), {}, samplesOf(samples), {} };
}

} // namespace

class TestTransientRecorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void capturesOfOneMillisecondReadBackFromFilesOfTheirOwn();
    void foldersAreCheckedForWriting_data();
    void foldersAreCheckedForWriting();
    void aFailedWriteIsReportedAndTheRestKept_data();
    void aFailedWriteIsReportedAndTheRestKept();
    void aCaptureHasOneTimeInItsNameItsFileAndItsRow();

private:
    QTemporaryDir m_dir;
};

void TestTransientRecorder::capturesOfOneMillisecondReadBackFromFilesOfTheirOwn()
{
    const QDir dir(m_dir.filePath(QStringLiteral("same-ms")));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    // Another program's file of the first name stays as it was.
    QFile other(dir.filePath(QStringLiteral("transient-20261208-101530-123.csv")));
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("theirs") == 6);
    other.close();

    TransientRecorder recorder(dir.path(), nullptr);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    const QStringList samples { "3 25 -12", "o m 40 -41", "0" };
    QByteArray history = transientHistoryHeader();
    for (int i = 0; i < samples.size(); ++i) {
        QVERIFY(recorder.record(captureOf(samples.at(i))));
        const QString name = recorded.at(i).at(1).toString();
        QCOMPARE(name, QStringLiteral("transient-20261208-101530-123-%1.csv").arg(i + 2));
        const TransientCsvRead read = readTransientCsv(dir.filePath(name));
        QVERIFY2(read.capture, qPrintable(read.error));
        QCOMPARE(transientCsvBytes(*read.capture), transientCsvBytes(captureOf(samples.at(i))));
        history += transientHistoryRow(*read.capture, name);
    }
    QCOMPARE(contentOf(other.fileName()), QByteArray("theirs"));
    QCOMPARE(contentOf(recorder.historyPath()), history);
}

void TestTransientRecorder::foldersAreCheckedForWriting_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("problem");
    QFile file(m_dir.filePath(QStringLiteral("a-file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    // As root a folder without write permission can still be written, so a file stands in.
    QTest::newRow("missing, made") << m_dir.filePath(QStringLiteral("new/deeper")) << QString();
    QTest::newRow("a file") << file.fileName() << QStringLiteral("not a folder");
    QTest::newRow("under a file") << file.fileName() + QStringLiteral("/x")
                                  << QStringLiteral("cannot be created");
}

void TestTransientRecorder::foldersAreCheckedForWriting()
{
    QFETCH(QString, dir);
    QFETCH(QString, problem);
    const QString said = checkWritableFolder(dir);
    if (problem.isEmpty()) {
        QCOMPARE(said, QString());
        QVERIFY(QDir(dir).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    } else {
        QVERIFY2(said.startsWith(dir + QStringLiteral(": ")) && said.contains(problem),
            qPrintable(said));
    }
}

void TestTransientRecorder::aFailedWriteIsReportedAndTheRestKept_data()
{
    QTest::addColumn<bool>("folderGone");
    QTest::addColumn<QByteArray>("history"); // history.csv before the capture
    QTest::newRow("folder replaced by a file") << true << QByteArray();
    QTest::newRow("someone else's history.csv") << false << QByteArray("a,b\n1,2\n");
}

void TestTransientRecorder::aFailedWriteIsReportedAndTheRestKept()
{
    QFETCH(bool, folderGone);
    QFETCH(QByteArray, history);
    const QString dir = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(dir));
    TransientRecorder recorder(dir, nullptr);
    if (folderGone) {
        QVERIFY(QDir(dir).removeRecursively());
        QFile(dir).open(QIODevice::WriteOnly);
    } else {
        QFile file(recorder.historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(history) == history.size());
    }
    QSignalSpy failed(&recorder, &TransientRecorder::writeFailed);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    QVERIFY(!recorder.record(captureOf(QStringLiteral("30 -4"))));

    // The capture file and the history row each say what failed to them.
    QCOMPARE(failed.size(), folderGone ? 2 : 1);
    for (const QList<QVariant> &message : failed)
        QVERIFY2(message.at(0).toString().startsWith(dir + QLatin1Char('/')),
            qPrintable(message.at(0).toString()));
    // The figures are still announced, with the file only when it was written.
    QCOMPARE(recorded.size(), 1);
    const QString name = recorded.at(0).at(1).toString();
    QCOMPARE(name.isEmpty(), folderGone);
    if (!folderGone) {
        QVERIFY(readTransientCsv(QDir(dir).filePath(name)).capture);
        QCOMPARE(contentOf(recorder.historyPath()), history);
    }
}

// The session stamps a capture once; the file's name, its header and its history row all say
// that instant, to the millisecond.
void TestTransientRecorder::aCaptureHasOneTimeInItsNameItsFileAndItsRow()
{
    const QString dir = m_dir.filePath(QStringLiteral("one-time"));
    QVERIFY(QDir().mkpath(dir));
    FakeSerialPorts ports;
    CaptureSession session(ports.factory());
    session.initSerialLink();
    TransientRecorder recorder(dir);
    recorder.listen(session);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    ports.next(1);
    session.startTriggered(1);
    for (int capture = 0; capture < 3; ++capture) {
        ports.next(1); // the reopening after each capture
        ports.current(1)->feed(bytesOf(samplesOf(QStringLiteral("3 25 -12 4"))).repeated(1026));
    }
    QCOMPARE(recorded.size(), 3);
    const QList<QByteArray> rows = contentOf(recorder.historyPath()).split('\n');
    for (int i = 0; i < recorded.size(); ++i) {
        const QString name = recorded.at(i).at(1).toString();
        const TransientCsvRead read = readTransientCsv(QDir(dir).filePath(name));
        QVERIFY2(read.capture, qPrintable(read.error));
        QCOMPARE(name, transientCsvFileName(read.capture->capturedAt));
        QVERIFY(
            rows.at(i + 1).startsWith(transientTimeText(read.capture->capturedAt).toUtf8() + ','));
    }
}

QTEST_GUILESS_MAIN(TestTransientRecorder)
#include "tst_transient_recorder.moc"
