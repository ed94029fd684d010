// Recording into a folder: each capture of a session read back as it was captured with its
// history row, names taken within one millisecond, and folders and files that cannot be written.
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

QString deviceOf(int port)
{
    return QStringLiteral("/dev/fake%1").arg(port);
}

} // namespace

class TestTransientRecorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachCaptureOfASessionIsWrittenAndListed();
    void capturesWithinOneMillisecondKeepTheirFiles();
    void foldersAreCheckedForWriting_data();
    void foldersAreCheckedForWriting();
    void aFailedWriteIsReportedAndTheRestKept_data();
    void aFailedWriteIsReportedAndTheRestKept();

private:
    QTemporaryDir m_dir;
};

void TestTransientRecorder::eachCaptureOfASessionIsWrittenAndListed()
{
    FakeSerialPorts ports;
    ports.next(3);
    CaptureSession session(ports.factory());
    session.initSerialLink();
    const QString dir = m_dir.filePath(QStringLiteral("session"));
    QCOMPARE(checkWritableFolder(dir), QString());
    TransientRecorder recorder(dir, deviceOf);
    recorder.listen(session);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    session.startTriggered(3);

    // A rise past the trigger, then ringing; the second capture starts one byte later.
    QByteArray burst;
    for (int i = 0; i < 2060; ++i)
        burst
            += i < 100 ? QByteArray::fromHex("8005") : QByteArray::fromHex(i % 2 ? "8040" : "81d0");
    const QByteArray bursts[] = { burst, QByteArray(1, '\x07') + burst };
    for (const QByteArray &bytes : bursts) {
        ports.current(3)->feed(bytes);
        QCOMPARE(recorded.size(), 1);
        const auto capture = recorded.takeFirst().at(0).value<TransientCapture>();
        QCOMPARE(capture.samples,
            transientSamples(session.captureBuffer().data() + 1, kTransientCaptureBytes));
    }

    const QStringList files = QDir(dir).entryList({ QStringLiteral("transient-*.csv") });
    QCOMPARE(files.size(), 2);
    const QList<QByteArray> history = contentOf(recorder.historyPath()).split('\n');
    QCOMPARE(history.size(), 4); // header, two rows, the last line end
    QCOMPARE(history.at(0) + '\n', transientHistoryHeader());
    for (int i = 0; i < 2; ++i) {
        const TransientCsvRead read = readTransientCsv(QDir(dir).filePath(files.at(i)));
        QVERIFY2(read.capture, qPrintable(read.error));
        QCOMPARE(read.capture->port, 3);
        QCOMPARE(read.capture->device, QStringLiteral("/dev/fake3"));
        QCOMPARE(read.capture->samples.size(), i == 0 ? 2050 : 2049);
        QCOMPARE(history.at(1 + i) + '\n', transientHistoryRow(*read.capture, files.at(i)));
    }
}

void TestTransientRecorder::capturesWithinOneMillisecondKeepTheirFiles()
{
    const QDir dir(m_dir.filePath(QStringLiteral("same-ms")));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    TransientCapture capture {
        QDateTime::fromString(QStringLiteral("2026-12-08T10:15:30.123+01:00"), Qt::ISODateWithMs),
        1, QStringLiteral("sim"), samplesOf(QStringLiteral("3 25 -12"))
    };
    // Another program's file of the first name stays as it was.
    QFile other(dir.filePath(QStringLiteral("transient-20261208-101530-123.csv")));
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("theirs") == 6);
    other.close();

    TransientRecorder recorder(dir.path(), deviceOf);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    for (int i = 0; i < 3; ++i) {
        capture.samples[0].deviation = i;
        QVERIFY(recorder.record(capture));
    }
    QCOMPARE(contentOf(other.fileName()), QByteArray("theirs"));
    for (int i = 0; i < 3; ++i) {
        const QString name = recorded.at(i).at(1).toString();
        QCOMPARE(name, QStringLiteral("transient-20261208-101530-123-%1.csv").arg(i + 2));
        const TransientCsvRead read = readTransientCsv(dir.filePath(name));
        QVERIFY2(read.capture, qPrintable(read.error));
        QCOMPARE(read.capture->samples.at(0).deviation, i);
    }
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
    QTest::addColumn<int>("files");
    QTest::newRow("folder replaced by a file") << true << QByteArray() << 0;
    QTest::newRow("someone else's history.csv") << false << QByteArray("a,b\n1,2\n") << 1;
}

void TestTransientRecorder::aFailedWriteIsReportedAndTheRestKept()
{
    QFETCH(bool, folderGone);
    QFETCH(QByteArray, history);
    QFETCH(int, files);
    const QString dir = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(dir));
    TransientRecorder recorder(dir, deviceOf);
    if (folderGone) {
        QVERIFY(QDir(dir).removeRecursively());
        QFile(dir).open(QIODevice::WriteOnly);
    } else {
        QFile file(recorder.historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(history) == history.size());
    }
    QSignalSpy failed(&recorder, &TransientRecorder::writeFailed);
    QSignalSpy recorded(&recorder, &TransientRecorder::recorded);
    const TransientCapture capture { QDateTime::currentDateTime(), 1, QStringLiteral("sim"),
        samplesOf(QStringLiteral("30 -4")) };
    QVERIFY(!recorder.record(capture));

    QCOMPARE(failed.size(), folderGone ? 2 : 1);
    for (const QList<QVariant> &message : failed)
        QVERIFY2(message.at(0).toString().startsWith(dir + QLatin1Char('/')),
            qPrintable(message.at(0).toString()));
    // The figures are still announced, with the file when it was written.
    QCOMPARE(recorded.size(), 1);
    QCOMPARE(recorded.at(0).at(1).toString().isEmpty(), files == 0);
    if (!folderGone) {
        QCOMPARE(QDir(dir).entryList({ QStringLiteral("transient-*.csv") }).size(), files);
        QCOMPARE(contentOf(recorder.historyPath()), history);
    }
}

QTEST_GUILESS_MAIN(TestTransientRecorder)
#include "tst_transient_recorder.moc"
