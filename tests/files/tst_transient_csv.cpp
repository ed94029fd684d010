// Capture and history files: what is written reads back to the same samples and figures, and
// whatever the monitor did not write is refused with the line at fault.
#include "analysis/figure_number.h"
#include "analysis/transient_figures.h"
#include "files/transient_csv.h"
#include "transient_sample_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A small capture file exactly as the monitor writes it: "25 o m -3", triggered at sample 0.
const QByteArray kSmallFile = "# Velmora Servo Monitor transient\n"
                              "# captured_at,2026-12-08T10:15:30.123+01:00\n"
                              "# port,Comm 1,/dev/ttyUSB0\n"
                              "# sample_rate_hz,5760\n"
                              "# trigger_index,0\n"
                              "index,time_ms,deviation_steps,over_spin\n"
                              "0,0.000,25,0\n"
                              "1,0.174,,1\n"
                              "2,0.347,,0\n"
                              "3,0.521,-3,0\n";

TransientCapture captureOf(const QString &samples, const QString &time = {},
    const QString &device = QStringLiteral("/dev/ttyUSB0"), const QString &note = {})
{
    TransientCapture capture;
    capture.capturedAt = QDateTime::fromString(
        time.isEmpty() ? QStringLiteral("2026-12-08T10:15:30.123+01:00") : time, Qt::ISODateWithMs);
    capture.port = 1;
    capture.device = device;
    capture.samples = samplesOf(samples);
    capture.note = note;
    return capture;
}

// kSmallFile with its note line after the trigger line.
QByteArray withNote(const QByteArray &noteLine)
{
    QByteArray file = kSmallFile;
    return file.insert(file.indexOf("\nindex,") + 1, noteLine + '\n');
}

// kSmallFile with line `line` (from 1) replaced by text.
QByteArray edited(int line, const QByteArray &text)
{
    QList<QByteArray> lines = kSmallFile.split('\n');
    lines[line - 1] = text;
    return lines.join('\n');
}

// Deviations spread over -255..255 (or a 1/scale of it), every 7th sample missing and every 11th
// an over-spin.
QString everyKindOfSample(int count, int scale)
{
    QStringList tokens;
    for (int i = 0; i < count; ++i)
        tokens << (i % 7 == 3 ? QStringLiteral("m")
                : i % 11 == 5 ? QStringLiteral("o")
                              : QString::number((i * 37 % 511 - 255) / scale));
    return tokens.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(TransientCapture)

class TestTransientCsv : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aCaptureIsWrittenInItsFormat();
    void aCaptureReadsBackAsWritten_data();
    void aCaptureReadsBackAsWritten();
    void whatAnEditorAddsIsAccepted_data();
    void whatAnEditorAddsIsAccepted();
    void badFilesAreRefusedWithTheirLine_data();
    void badFilesAreRefusedWithTheirLine();
    void whatIsNoFileIsRefused_data();
    void whatIsNoFileIsRefused();
    void historyRowsFollowTheHeader();
    void historyRowsOfTwoProgramsAreAllKept();

private:
    QTemporaryDir m_dir;
};

void TestTransientCsv::aCaptureIsWrittenInItsFormat()
{
    QCOMPARE(transientCsvBytes(captureOf("25 o m -3")), kSmallFile);
    const QDateTime at = captureOf("0").capturedAt;
    QCOMPARE(transientCsvFileName(at), "transient-20261208-101530-123.csv");
    QCOMPARE(transientTimeText(at.toUTC()), "2026-12-08T09:15:30.123+00:00");
}

void TestTransientCsv::aCaptureReadsBackAsWritten_data()
{
    QTest::addColumn<TransientCapture>("capture");
    QTest::newRow("full, triggered") << captureOf(everyKindOfSample(kTransientMaxSamples, 1));
    QTest::newRow("never triggered") << captureOf(everyKindOfSample(300, 13));
    QTest::newRow("west of UTC, a device with commas")
        << captureOf("-3 m 40", "2026-01-31T23:59:59.999-03:30", "/dev/serial/by-id/a,b ü");
    QTest::newRow("a note with commas, quotes and line breaks") << captureOf("25 -3", {},
        QStringLiteral("/dev/ttyUSB0"), QStringLiteral("P 12, FF1 30\n\"fast\" move,\n\nthird"));
}

void TestTransientCsv::aCaptureReadsBackAsWritten()
{
    QFETCH(TransientCapture, capture);
    const QString path = m_dir.filePath(QStringLiteral("capture.csv"));
    QCOMPARE(writeTransientCsv(path, capture), QString());
    const TransientCsvRead read = readTransientCsv(path);
    QVERIFY2(read.capture, qPrintable(read.error));
    QCOMPARE(read.capture->samples, capture.samples);
    // The time, the port and the device come back too, and so do the figures.
    QCOMPARE(transientCsvBytes(*read.capture), transientCsvBytes(capture));
    QCOMPARE(transientHistoryRow(*read.capture, {}), transientHistoryRow(capture, {}));
    QCOMPARE(read.capture->note, capture.note);
}

// What a spreadsheet or a Windows editor adds when it saves a file unchanged.
void TestTransientCsv::whatAnEditorAddsIsAccepted_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("note");
    const QByteArray noted = withNote("# note,\"P 12, FF1 30\nsecond line\"");
    QTest::newRow("CR LF") << QByteArray(kSmallFile).replace("\n", "\r\n") << QString();
    QTest::newRow("a byte order mark") << "\xef\xbb\xbf" + kSmallFile << QString();
    QTest::newRow("both, and a note over two lines")
        << "\xef\xbb\xbf" + QByteArray(noted).replace("\n", "\r\n")
        << QStringLiteral("P 12, FF1 30\nsecond line");
    QTest::newRow("written before notes") << kSmallFile << QString();
}

void TestTransientCsv::whatAnEditorAddsIsAccepted()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, note);
    const TransientCsvRead read = readTransientCsv(content, QStringLiteral("saved.csv"));
    QVERIFY2(read.capture, qPrintable(read.error));
    QCOMPARE(read.capture->note, note);
    QCOMPARE(read.capture->samples, samplesOf("25 o m -3"));
}

void TestTransientCsv::badFilesAreRefusedWithTheirLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QByteArray tooLong = kSmallFile;
    for (int i = 4; i <= kTransientMaxSamples; ++i)
        tooLong += QByteArray::number(i) + ',' + timeMsText(i).toLatin1() + ",0,0\n";

    QTest::newRow("another title") << edited(1, "# Velmora transient") << 1 << "expected";
    QTest::newRow("time without ms")
        << edited(2, "# captured_at,2026-12-08T10:15:30+01:00") << 2 << "bad time";
    QTest::newRow("time in Z") << edited(2, "# captured_at,2026-12-08T09:15:30.123Z") << 2
                               << "bad time";
    QTest::newRow("port 0") << edited(3, "# port,Comm 0,/dev/ttyUSB0") << 3 << "Comm N";
    QTest::newRow("another rate") << edited(4, "# sample_rate_hz,5000") << 4 << "5760";
    QTest::newRow("trigger not the samples'") << edited(
        5, "# trigger_index,") << 5 << "trigger_index empty is not the samples' trigger (0)";
    QTest::newRow("columns") << edited(6, "index,time,deviation,over_spin") << 6 << "expected";
    QTest::newRow("a letter") << edited(8, "1,0.174,1O,0") << 8
                              << "bad number \"1O\" in deviation_steps";
    QTest::newRow("a plus sign") << edited(8, "1,0.174,+5,0") << 8 << "bad number \"+5\"";
    QTest::newRow("beyond the line's range") << edited(8, "1,0.174,256,0") << 8 << "bad number";
    QTest::newRow("over_spin 2") << edited(8, "1,0.174,,2") << 8 << "in over_spin";
    QTest::newRow("an index skipped") << edited(8, "2,0.347,,1") << 8 << "index 2 where 1";
    QTest::newRow("another time") << edited(8, "1,0.173,,1") << 8 << "time_ms 0.173";
    QTest::newRow("over-spin with a deviation") << edited(8, "1,0.174,5,1") << 8 << "over-spin";
    QTest::newRow("a blank line") << kSmallFile + "\n" << 11 << "4 fields";
    QTest::newRow("cut short in the header")
        << kSmallFile.left(kSmallFile.indexOf("# port")) << 3 << "Comm N";
    QTest::newRow("no samples") << kSmallFile.left(kSmallFile.indexOf("0,0.000")) << 7
                                << "no samples";
    QTest::newRow("too many rows") << tooLong << 2057 << "more than the 2050 samples";
    QTest::newRow("a CR inside a line")
        << edited(3, "# port,Comm 1,/dev/tty\rUSB0") << 3 << "binary";
    QTest::newRow("a note quoted when it needs none")
        << withNote("# note,\"P 12\"") << 6 << "one CSV field";
    QTest::newRow("a note's comma unquoted")
        << withNote("# note,P 12, FF1 30") << 6 << "one CSV field";
    QTest::newRow("a note never closed") << withNote("# note,\"P 12, FF1") << 6 << "one CSV field";
    QTest::newRow("an empty note") << withNote("# note,") << 6 << "one CSV field";
    QTest::newRow("samples after a note, a bad one")
        << withNote("# note,\"a\nb\"").replace("1,0.174,,1", "1,0.174,,2") << 10 << "in over_spin";
    QTest::newRow("a NUL") << edited(3, QByteArray("# port,Comm 1,/dev/tty") + '\0' + "USB0") << 3
                           << "binary";
    QTest::newRow("not UTF-8") << edited(3, "# port,Comm 1,/dev/\xff") << 3 << "UTF-8";
    QTest::newRow("empty") << QByteArray() << 0 << "empty";
}

void TestTransientCsv::badFilesAreRefusedWithTheirLine()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(QString, message);
    const TransientCsvRead read = readTransientCsv(content, QStringLiteral("bad.csv"));
    QVERIFY(!read.capture);
    QCOMPARE(read.line, line);
    const QString where
        = line > 0 ? QStringLiteral("bad.csv, line %1: ").arg(line) : QStringLiteral("bad.csv: ");
    QVERIFY2(read.error.startsWith(where) && read.error.mid(where.size()).contains(message),
        qPrintable(read.error));
}

void TestTransientCsv::whatIsNoFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.csv")));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo.csv"))), 0600), 0);
    QFile(m_dir.filePath(QStringLiteral("empty.csv"))).open(QIODevice::WriteOnly);
    QFile locked(m_dir.filePath(QStringLiteral("locked.csv")));
    QVERIFY(locked.open(QIODevice::WriteOnly) && locked.write(kSmallFile) > 0);
    QVERIFY(locked.setPermissions(QFile::WriteOwner));

    QTest::newRow("a folder") << "folder.csv"
                              << "a folder";
    QTest::newRow("a fifo") << "fifo.csv"
                            << "not an ordinary file";
    QTest::newRow("nothing there") << "none.csv"
                                   << "no such file";
    QTest::newRow("empty") << "empty.csv"
                           << "empty";
    if (::geteuid() != 0)
        QTest::newRow("unreadable") << "locked.csv"
                                    << "cannot be read";
}

void TestTransientCsv::whatIsNoFileIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const TransientCsvRead read = readTransientCsv(m_dir.filePath(name));
    QVERIFY(!read.capture);
    QCOMPARE(read.line, 0);
    const QString where = name + QStringLiteral(": ");
    QVERIFY2(read.error.startsWith(where) && read.error.mid(where.size()).contains(message),
        qPrintable(read.error));
}

void TestTransientCsv::historyRowsFollowTheHeader()
{
    const QString path = m_dir.filePath(QStringLiteral("history.csv"));
    const TransientCapture capture = captureOf("o m 3 o -25 m 40 m -30 12 m -2 4");
    const QString file = transientCsvFileName(capture.capturedAt);
    QCOMPARE(appendTransientHistory(path, capture, file), QString());
    QCOMPARE(appendTransientHistory(
                 path, captureOf("m 5", {}, QStringLiteral("/dev/ttyUSB0"), "P 12, FF1 30"), {}),
        QString());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
        "captured_at,trigger_index,peak_steps,peak_ms,overshoot_steps,overshoot_pct,settle_ms,"
        "ring_hz,damping,mean_steps,rms_steps,over_spin_samples,valid_samples,missing_samples,"
        "file,note\n"
        "2026-12-08T10:15:30.123+01:00,4,40,0.347,-30,75.0,1.215,,,0.29,21.71,2,7,4,"
        "transient-20261208-101530-123.csv,\n"
        "2026-12-08T10:15:30.123+01:00,,5,0.174,,,,,,5.00,5.00,0,1,1,,\"P 12, FF1 30\"\n");

    // A history file from before notes keeps its columns.
    const QString older = m_dir.filePath(QStringLiteral("older-history.csv"));
    const QByteArray olderHeader = transientHistoryHeader().replace(",note\n", "\n");
    QFile old(older);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(olderHeader) == olderHeader.size());
    old.close();
    QCOMPARE(appendTransientHistory(older, captureOf("m 5", {}, {}, QStringLiteral("noted")), {}),
        QString());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(),
        olderHeader + "2026-12-08T10:15:30.123+01:00,,5,0.174,,,,,,5.00,5.00,0,1,1,\n");

    // Something else under the name is reported and left as it was.
    const QString other = m_dir.filePath(QStringLiteral("notes.csv"));
    QFile notes(other);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("a,b\n") == 4);
    notes.close();
    QVERIFY(appendTransientHistory(other, capture, file).contains(QStringLiteral("not a history")));
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), "a,b\n");
}

// velmora-monitor --record and velmora-capture --out on one folder: two processes append 200
// rows each at the same time; every row arrives whole and the header is written once.
void TestTransientCsv::historyRowsOfTwoProgramsAreAllKept()
{
    const QString path = m_dir.filePath(QStringLiteral("shared-history.csv"));
    constexpr int kRows = 200;
    int go[2];
    QVERIFY(::pipe(go) == 0);
    QList<pid_t> children;
    for (const char *device : { "/dev/ttyUSB0", "/dev/ttyACM0" }) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(go[1]);
            char byte;
            // Both start when the parent closes the pipe, so their rows interleave.
            [[maybe_unused]] const ssize_t got = ::read(go[0], &byte, 1);
            const TransientCapture capture = captureOf("3 25 -12", {}, QLatin1String(device));
            int failures = 0;
            for (int row = 0; row < kRows; ++row)
                failures += appendTransientHistory(path, capture, QStringLiteral("x.csv")).isEmpty()
                    ? 0
                    : 1;
            ::_exit(failures == 0 ? 0 : 1);
        }
        children << child;
    }
    ::close(go[0]);
    ::close(go[1]);
    for (const pid_t child : children) {
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + 2 * kRows + 1); // the last one empty, after the last line end
    QCOMPARE(lines.first() + '\n', transientHistoryHeader());
    const QByteArray row = transientHistoryRow(captureOf("3 25 -12"), QStringLiteral("x.csv"));
    for (qsizetype i = 1; i <= 2 * kRows; ++i)
        QCOMPARE(lines.at(i) + '\n', row);
}

QTEST_GUILESS_MAIN(TestTransientCsv)
#include "tst_transient_csv.moc"
