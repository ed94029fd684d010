// velmora-capture as a user runs it: transients from the built-in drive, from velmora-drive-sim on
// a pseudo-terminal and from a port the settings name with their event log, the live stream
// sample for sample, and each way a run can end short.
#include "analysis/figure_number.h"
#include "drive_stream_reader.h"
#include "files/transient_csv.h"
#include "pty_pair.h"
#include "sim/drive_model.h"
#include "temp_config.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>

namespace {

constexpr int kWaitMs = 60000;

// A program started with its stderr collected as it comes.
struct Program
{
    Program(const QString &path, const QStringList &arguments)
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
            [this] { err += process.readAllStandardError(); });
        process.start(path, arguments);
    }
    ~Program()
    {
        process.terminate();
        process.waitForFinished();
    }
    bool finished() const { return process.state() == QProcess::NotRunning; }
    QList<QJsonObject> jsonLines()
    {
        QList<QJsonObject> objects;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                objects.append(QJsonDocument::fromJson(line).object());
        }
        return objects;
    }

    QProcess process;
    QByteArray err;
};

enum class Script { Nothing, OneBurst, OneBurstThenTerminate, PullTheTerminal };

} // namespace

class TestCaptureProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { m_sim.reset(); }
    void transientsAreWrittenAndPrinted_data();
    void transientsAreWrittenAndPrinted();
    void theLiveStreamIsLoggedSampleForSample_data();
    void theLiveStreamIsLoggedSampleForSample();
    void aRunEndsShortWithItsStatus_data();
    void aRunEndsShortWithItsStatus();

private:
    // velmora-drive-sim with these options, and the --port text of its terminal.
    QString startDriveSim(const QStringList &arguments);

    TempConfig m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<Program> m_sim;
};

QString TestCaptureProgram::startDriveSim(const QStringList &arguments)
{
    m_sim = std::make_unique<Program>(QStringLiteral(VELMORA_DRIVE_SIM), arguments);
    if (!QTest::qWaitFor([this] { return m_sim->process.canReadLine(); }, kWaitMs))
        return QString();
    return QStringLiteral("1=") + QString::fromLocal8Bit(m_sim->process.readLine()).trimmed();
}

void TestCaptureProgram::transientsAreWrittenAndPrinted_data()
{
    QTest::addColumn<QString>("port"); // "pty": velmora-drive-sim's terminal
    QTest::newRow("built-in simulated drive") << "1=sim";
    QTest::newRow("velmora-drive-sim on a pty") << "pty";
    QTest::newRow("a port the settings name") << "9";
}

void TestCaptureProgram::transientsAreWrittenAndPrinted()
{
    QFETCH(QString, port);
    if (port == QLatin1String("pty"))
        port = startDriveSim({ "--mode", "triggered", "--wait-open", "--seed", "5" });
    m_config.writeIni(QStringLiteral("velmora-monitor"), "[Ports]\nComm9=sim\n");
    const QDir out(m_dir.filePath(QString::fromLatin1(QTest::currentDataTag())));
    const QString note = QStringLiteral("P 12, FF1 30 \"fast\"");
    Program run(QStringLiteral(VELMORA_CAPTURE),
        { "--port", port, "--count", "2", "--out", out.path(), "--note", note });
    QTRY_VERIFY_WITH_TIMEOUT(run.finished(), kWaitMs);
    QVERIFY2(run.process.exitCode() == 0, run.err.constData());
    // The settings are read, never written.
    QCOMPARE(
        m_config.readIni(QStringLiteral("velmora-monitor")), QByteArray("[Ports]\nComm9=sim\n"));

    const QList<QJsonObject> lines = run.jsonLines();
    QCOMPARE(lines.size(), 2);
    QByteArray history = transientHistoryHeader();
    for (const QJsonObject &line : lines) {
        const QString file = line.value(QStringLiteral("file")).toString();
        const TransientCsvRead read = readTransientCsv(out.filePath(file));
        QVERIFY2(read.capture, qPrintable(read.error));
        QCOMPARE(read.capture->port, port.section('=', 0, 0).toInt());
        QCOMPARE(read.capture->note, note);
        // Each value is the file's figure, as a number where it is one.
        const auto fields = transientHistoryFields(*read.capture, file);
        QCOMPARE(line.size(), fields.size());
        for (const auto &[column, text] : fields) {
            const QJsonValue value = line.value(column);
            if (text.isEmpty())
                QVERIFY2(value.isNull(), qPrintable(column));
            else if (column == QLatin1String("captured_at") || column == QLatin1String("file")
                || column == QLatin1String("note"))
                QCOMPARE(value.toString(), text);
            else
                QCOMPARE(value.toDouble(), text.toDouble());
        }
        history += transientHistoryRow(*read.capture, file);
    }
    QFile historyFile(out.filePath(QStringLiteral("history.csv")));
    QVERIFY(historyFile.open(QIODevice::ReadOnly));
    QCOMPARE(historyFile.readAll(), history);

    // The event log: the Start, each capture at its own time, the Stop.
    QFile eventFile(out.filePath(QStringLiteral("events.csv")));
    QVERIFY(eventFile.open(QIODevice::ReadOnly));
    QStringList events;
    for (const QByteArray &row : eventFile.readAll().trimmed().split('\n')) {
        const QString event = QString::fromUtf8(row.split(',').value(1));
        events << (event == QLatin1String("capture") ? event + ' ' + row.split(',').at(0) : event);
    }
    const auto capturedAt
        = [&](int n) { return lines.at(n).value(QStringLiteral("captured_at")).toString(); };
    QCOMPARE(events,
        QStringList(
            { "event", "start", "capture " + capturedAt(0), "capture " + capturedAt(1), "stop" }));
}

void TestCaptureProgram::theLiveStreamIsLoggedSampleForSample_data()
{
    QTest::addColumn<double>("overSpinEvery"); // > 0: velmora-drive-sim on a pty
    QTest::newRow("built-in simulated drive") << 0.0;
    QTest::newRow("velmora-drive-sim on a pty, over-spinning") << 0.3;
}

void TestCaptureProgram::theLiveStreamIsLoggedSampleForSample()
{
    QFETCH(double, overSpinEvery);
    const QString port = overSpinEvery == 0
        ? QStringLiteral("1=sim")
        : startDriveSim({ "--wait-open", "--overspin-every", QString::number(overSpinEvery) });
    const QDir out(m_dir.filePath(QStringLiteral("live") + QTest::currentDataTag()));
    Program run(QStringLiteral(VELMORA_CAPTURE),
        { "--port", port, "--continuous", "1", "--out", out.path() });
    QTRY_VERIFY_WITH_TIMEOUT(run.finished(), kWaitMs);
    QVERIFY2(run.process.exitCode() == 0, run.err.constData());
    const QList<QJsonObject> lines = run.jsonLines();
    QCOMPARE(lines.size(), 1);
    const int samples = lines.at(0).value(QStringLiteral("samples")).toInt();

    QFile file(out.filePath(lines.at(0).value(QStringLiteral("file")).toString()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    QCOMPARE(rows.size(), 6 + samples + 1);
    QCOMPARE(rows.at(5), QByteArray("index,time_ms,deviation_steps,over_spin"));
    // Both drives start their model at the opening: the log is its stream from the first sample.
    const QList<LineSample> model
        = lineSamples(DriveModel({ 1, kTransientSampleRateHz, overSpinEvery }).generate(samples));
    int overSpins = 0;
    for (int i = 0; i < samples; ++i) {
        const LineSample &s = model.at(i);
        overSpins += s.overspin;
        QCOMPARE(rows.at(6 + i),
            QByteArray::number(i) + ',' + timeMsText(i).toLatin1() + ','
                + (s.overspin ? ",1" : QByteArray::number(s.error) + ",0"));
    }
    QVERIFY(samples > 0 && (overSpinEvery == 0) == (overSpins == 0));
    QCOMPARE(lines.at(0).value(QStringLiteral("over_spin_samples")).toInt(), overSpins);
}

void TestCaptureProgram::aRunEndsShortWithItsStatus_data()
{
    QTest::addColumn<QStringList>("args"); // "PTY" stands for the test's terminal
    QTest::addColumn<Script>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("captures");
    QTest::addColumn<QString>("said");
    const QString underAFile = m_dir.filePath(QStringLiteral("a-file/out"));
    QFile(m_dir.filePath(QStringLiteral("a-file"))).open(QIODevice::WriteOnly);

    QTest::newRow("no second transient in time")
        << QStringList { "--port", "1=PTY", "--count", "2", "--timeout", "1" } << Script::OneBurst
        << 1 << 1 << "Comm 1 (PTY): no transient came within 1 s; 1 of 2 captured";
    QTest::newRow("SIGTERM") << QStringList { "--port", "1=PTY", "--count", "1000" }
                             << Script::OneBurstThenTerminate << 1 << 1
                             << "stopped; 1 of 1000 captured";
    QTest::newRow("no such device")
        << QStringList { "--port", "1=/dev/nonexistent" } << Script::Nothing << 2 << 0
        << "Comm 1 (/dev/nonexistent): No such file or directory (error 8002)";
    QTest::newRow("adapter pulled") << QStringList { "--port", "1=PTY" } << Script::PullTheTerminal
                                    << 2 << 0 << "Comm 1 (PTY) failed: ";
    QTest::newRow("output under a file")
        << QStringList { "--port", "1=sim", "--out", underAFile } << Script::Nothing << 4 << 0
        << underAFile + ": the folder cannot be created";
    QTest::newRow("bad command line") << QStringList { "--port", "1=sim", "--count", "none" }
                                      << Script::Nothing << 3 << 0 << "--count takes a number";
}

void TestCaptureProgram::aRunEndsShortWithItsStatus()
{
    QFETCH(QStringList, args);
    QFETCH(Script, script);
    QFETCH(QString, said);
    PtyPair pty;
    // A child holding the master too would keep the terminal up when the test closes it.
    QVERIFY(pty.isValid() && ::fcntl(pty.masterFd(), F_SETFD, FD_CLOEXEC) == 0);
    args.replaceInStrings(QStringLiteral("PTY"), pty.slavePath());
    said.replace(QStringLiteral("PTY"), pty.slavePath());
    const QDir out(m_dir.filePath(QStringLiteral("short-") + QTest::currentDataTag()));
    if (!args.contains(QStringLiteral("--out")))
        args << QStringLiteral("--out") << out.path();

    Program run(QStringLiteral(VELMORA_CAPTURE), args);
    if (script != Script::Nothing) {
        // Once the port is open; what came before the opening would be discarded.
        QTRY_VERIFY_WITH_TIMEOUT(run.err.contains(" open, waiting"), kWaitMs);
        if (script == Script::PullTheTerminal)
            pty.closeMaster();
        else
            QVERIFY(pty.write(QByteArray(4200, '\x80')));
        if (script == Script::OneBurstThenTerminate) {
            QTRY_VERIFY_WITH_TIMEOUT(run.process.canReadLine(), kWaitMs);
            run.process.terminate();
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(run.finished(), kWaitMs);
    QVERIFY2(run.err.contains("velmora-capture: " + said.toUtf8()), run.err.constData());
    QTEST(run.process.exitCode(), "status");
    // What was captured before the end is printed and written.
    const QList<QJsonObject> lines = run.jsonLines();
    QTEST(int(lines.size()), "captures");
    for (const QJsonObject &line : lines)
        QVERIFY(QFile::exists(out.filePath(line.value(QStringLiteral("file")).toString())));
}

QTEST_GUILESS_MAIN(TestCaptureProgram)
#include "tst_capture_program.moc"
