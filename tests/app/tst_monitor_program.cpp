// The monitor executable as a user starts it: a headless screenshot run, the refusal to run
// interactively without a display, recording captures to a folder, and the help and version
// that the man page is made from.
#include "core/app_version.h"
#include "files/transient_csv.h"
#include "pty_pair.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestMonitorProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void screenshotIsTakenWithoutADisplay();
    void liveChartIsDrawnHeadlessAndCountsEverySample();
    void interactiveRunWithoutADisplaySaysWhyAndFails();
    void badPortOptionIsRefused();
    void recordWritesTheCaptureToTheFolder();
    void anUnwritableRecordFolderStopsTheStart();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void portListSaysWhatIsThereWithoutADisplay();

private:
    // A child environment with no display and no platform chosen, and its own settings folder.
    QProcessEnvironment headless() const;
    QTemporaryDir m_config;
};

QProcessEnvironment TestMonitorProgram::headless() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    return env;
}

void TestMonitorProgram::screenshotIsTakenWithoutADisplay()
{
    const QString shot = m_config.filePath(QStringLiteral("folap.png"));
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR), { QStringLiteral("--screenshot"), shot });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);

    const QImage image(shot);
    QVERIFY(!image.isNull());
    // The client area and the menu bar above it; no window frame.
    QCOMPARE(image.width(), 817);
    QVERIFY(image.height() > 607);
    QVERIFY(image.height() < 607 + 60);
    // A screenshot run leaves the settings untouched.
    QVERIFY(
        !QFile::exists(m_config.filePath(QStringLiteral("velmora-monitor/velmora-monitor.ini"))));
}

// The saver is stored on; the live chart's picture shows every sample all the same, and the
// chart takes in every sample the window shows.
void TestMonitorProgram::liveChartIsDrawnHeadlessAndCountsEverySample()
{
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("velmora-monitor"));
    const QString ini = config.filePath(QStringLiteral("velmora-monitor/velmora-monitor.ini"));
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Setup]\nMinta=\" 31\"\n");
    file.close();
    QProcessEnvironment env = headless();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QString shot = config.filePath(QStringLiteral("live.png"));
    QProcess monitor;
    monitor.setProcessEnvironment(env);
    monitor.start(QStringLiteral(VELMORA_MONITOR),
        { QStringLiteral("--screenshot-live"), shot, QStringLiteral("--stats-every"),
            QStringLiteral("1") });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 0);
    QVERIFY(!QImage(shot).isNull());

    const QList<QByteArray> lines = monitor.readAllStandardOutput().trimmed().split('\n');
    const QRegularExpression stats(
        QStringLiteral("^velmora-monitor: stats samples=(\\d+) captures=0 chart=(\\d+)$"));
    const QRegularExpressionMatch last = stats.match(QString::fromLatin1(lines.last()));
    QVERIFY2(last.hasMatch(), lines.last().constData());
    // Seconds of the drive, every sample of them.
    QVERIFY(last.captured(1).toLongLong() > kTransientSampleRateHz);
    QCOMPARE(last.captured(2), last.captured(1));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Setup]\nMinta=\" 31\"\n"));
}

void TestMonitorProgram::interactiveRunWithoutADisplaySaysWhyAndFails()
{
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR), QStringList {});
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 2);
    const QByteArray err = monitor.readAllStandardError();
    QVERIFY2(err.startsWith("velmora-monitor: no display (DISPLAY/WAYLAND_DISPLAY unset)"),
        err.constData());
    QCOMPARE(err.count('\n'), 1);
}

void TestMonitorProgram::badPortOptionIsRefused()
{
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR),
        { QStringLiteral("--port"), QStringLiteral("300=/dev/ttyUSB0"),
            QStringLiteral("--screenshot"), m_config.filePath(QStringLiteral("x.png")) });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 1);
    // Qt may have warned about the environment first.
    const QByteArray err = monitor.readAllStandardError();
    QVERIFY2(err.startsWith("velmora-monitor: ") || err.contains("\nvelmora-monitor: "),
        err.constData());
    QVERIFY(!QFile::exists(m_config.filePath(QStringLiteral("x.png"))));
}

void TestMonitorProgram::recordWritesTheCaptureToTheFolder()
{
    const QString dir = m_config.filePath(QStringLiteral("records/today"));
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR),
        { "--demo", "--start", "triggered", "--record", dir, "--screenshot",
            m_config.filePath(QStringLiteral("record.png")), "--after-capture" });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 0);

    const QStringList files = QDir(dir).entryList({ QStringLiteral("transient-*.csv") });
    QVERIFY(!files.isEmpty());
    const TransientCsvRead read = readTransientCsv(QDir(dir).filePath(files.constFirst()));
    QVERIFY2(read.capture, qPrintable(read.error));
    QCOMPARE(read.capture->port, 1);
    QCOMPARE(read.capture->device, QStringLiteral("sim"));
    QFile history(QDir(dir).filePath(QStringLiteral("history.csv")));
    QVERIFY(history.open(QIODevice::ReadOnly));
    QCOMPARE(history.readLine(), transientHistoryHeader());
    QCOMPARE(history.readLine(), transientHistoryRow(*read.capture, files.constFirst()));
}

void TestMonitorProgram::anUnwritableRecordFolderStopsTheStart()
{
    // As root a read-only folder can be written; a folder under a file cannot.
    QFile file(m_config.filePath(QStringLiteral("plain-file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString dir = file.fileName() + QStringLiteral("/records");
    const QString shot = m_config.filePath(QStringLiteral("unwritable.png"));
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(
        QStringLiteral(VELMORA_MONITOR), { "--demo", "--record", dir, "--screenshot", shot });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 1);
    const QByteArray err = monitor.readAllStandardError();
    QVERIFY2(err.contains("velmora-monitor: " + QFile::encodeName(dir) + ": "), err.constData());
    QVERIFY(!QFile::exists(shot));
}

void TestMonitorProgram::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expectedStart");
    QTest::newRow("help") << "--help"
                          << "Usage: velmora-monitor [options]\n";
    QTest::newRow("version")
        << "--version" << QStringLiteral("velmora-monitor %1\n").arg(QLatin1String(kVersionText));
}

void TestMonitorProgram::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, expectedStart);
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR), { option });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 0);
    QCOMPARE(monitor.readAllStandardError(), QByteArray());
    const QString out = QString::fromUtf8(monitor.readAllStandardOutput());
    QVERIFY2(out.startsWith(expectedStart), qPrintable(out));
    if (option == QLatin1String("--version"))
        QCOMPARE(out, expectedStart);
    else
        QVERIFY(out.contains(QLatin1String("--version")));
}

void TestMonitorProgram::portListSaysWhatIsThereWithoutADisplay()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    const QString missing = m_config.filePath(QStringLiteral("ttyUSB0"));
    QProcess monitor;
    monitor.setProcessEnvironment(headless());
    monitor.start(QStringLiteral(VELMORA_MONITOR),
        { QStringLiteral("--list-ports"), QStringLiteral("--port"), "1=" + missing,
            QStringLiteral("--port"), "2=" + pty.slavePath() });
    QVERIFY(monitor.waitForFinished(60000));
    QCOMPARE(monitor.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(monitor.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Comm 1 to 64 name a device by default.
    QCOMPARE(lines.size(), 64);
    const auto row = [](const QString &entry, const QString &device, const QString &state) {
        return QRegularExpression(
            QStringLiteral("^%1 +%2 +%3$")
                .arg(QRegularExpression::escape(entry), QRegularExpression::escape(device),
                    QRegularExpression::escape(state)));
    };
    QVERIFY2(row("Comm  1", missing, "not present").match(lines.at(0)).hasMatch(),
        qPrintable(lines.at(0)));
    QVERIFY2(row("Comm  2", pty.slavePath(), "present, no adapter details")
                 .match(lines.at(1))
                 .hasMatch(),
        qPrintable(lines.at(1)));
}

QTEST_GUILESS_MAIN(TestMonitorProgram)
#include "tst_monitor_program.moc"
