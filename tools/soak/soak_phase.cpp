// One soak phase: start the drive, start the monitor on its terminal, watch, stop both.
#include "soak_phase.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr qint64 kStartupMs = 30000;
// The drive's clock starts when the monitor opens the terminal, and it keeps the terminal a
// second after its time is up; this is the slack on top of the phase before it is stopped.
constexpr qint64 kDriveSlackMs = 120000;
constexpr qint64 kStopMs = 10000;
constexpr int kStatsEverySeconds = 1;
constexpr int kSpinMs = 100;

double megabytes(double kb)
{
    return kb / 1024.0;
}

void forwardLines(QProcess &process, QProcess::ProcessChannel channel,
    const std::function<void(const QByteArray &)> &onLine)
{
    const QProcess::ProcessChannel previous = process.readChannel();
    process.setReadChannel(channel);
    while (process.canReadLine())
        onLine(process.readLine().trimmed());
    process.setReadChannel(previous);
}

} // namespace

qint64 PhaseResult::lost() const
{
    return triggered ? qint64(sent.transients) - qint64(shown.captures)
                     : qint64(sent.samples) - qint64(shown.samples);
}

SoakPhase::SoakPhase(const SoakSettings &settings, bool triggered, double seconds, QTextStream &out,
    const volatile std::sig_atomic_t *interrupted)
    : m_settings(settings)
    , m_triggered(triggered)
    , m_seconds(seconds)
    , m_out(out)
    , m_interrupted(interrupted)
{
    const long ticks = ::sysconf(_SC_CLK_TCK);
    if (ticks > 0)
        m_ticksPerSecond = ticks;
    connect(&m_monitor, &QProcess::readyReadStandardOutput, this, &SoakPhase::onMonitorOutput);
    connect(&m_monitor, &QProcess::readyReadStandardError, this, &SoakPhase::onMonitorErrors);
    connect(&m_drive, &QProcess::readyReadStandardError, this, &SoakPhase::onDriveErrors);
}

SoakPhase::~SoakPhase()
{
    // Never leave a program behind, whatever ended the phase.
    for (QProcess *process : { &m_monitor, &m_drive }) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(int(kStopMs))) {
            process->kill();
            process->waitForFinished();
        }
    }
}

QString SoakPhase::modeName() const
{
    return m_triggered ? QStringLiteral("triggered") : QStringLiteral("continuous");
}

PhaseResult SoakPhase::run()
{
    PhaseResult result;
    result.triggered = m_triggered;
    const auto fail = [&result, this](const QString &why) {
        result.failure = why;
        m_out << "  " << modeName() << ": " << why << Qt::endl;
        return result;
    };
    m_clock.start();

    if (!startDrive())
        return fail(QStringLiteral("the simulated drive did not start: ")
            + QString::fromLocal8Bit(m_drive.readAllStandardError()).trimmed());

    // A fresh settings store with the CPU saver off, so every pair is shown.
    QTemporaryDir configDir;
    QTemporaryDir runtimeDir;
    const QString appName = QFileInfo(m_settings.monitorProgram).baseName();
    QDir(configDir.path()).mkpath(appName);
    QFile ini(configDir.filePath(appName + QLatin1Char('/') + appName + QStringLiteral(".ini")));
    if (!configDir.isValid() || !runtimeDir.isValid() || !ini.open(QIODevice::WriteOnly)
        || ini.write("[Setup]\nPort=0\nMinta=\" 2\"\n") < 0)
        return fail(QStringLiteral("cannot write the monitor's settings"));
    ini.close();
    QFile::setPermissions(
        runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    if (!startMonitor(configDir.path(), runtimeDir.path()))
        return fail(QStringLiteral("the monitor did not start: ") + m_monitor.errorString());
    if (!spinUntil([this] { return m_statsLines > 0 || m_monitor.state() == QProcess::NotRunning; },
            kStartupMs)
        || m_statsLines == 0)
        return fail(QStringLiteral("the monitor printed no stats line (does it take "
                                   "--stats-every and --start?)"));
    const std::optional<ProcessUsage> first = readProcessUsage(m_monitor.processId());
    if (!first)
        return fail(QStringLiteral("cannot read /proc for the monitor"));
    m_firstUsage = m_lastUsage = *first;
    m_firstMs = m_lastMs = m_clock.elapsed();
    m_rssPeakKb = double(first->rssKb);

    m_out << "  " << modeName() << " phase: " << m_seconds / 60.0 << " min, drive on " << m_ptyPath
          << ", monitor pid " << m_monitor.processId() << Qt::endl;
    m_out << QStringLiteral("  %1 %2 %3 %4 %5 %6")
                 .arg(QStringLiteral("minute"), 7)
                 .arg(QStringLiteral("RSS MB"), 8)
                 .arg(QStringLiteral("CPU %"), 7)
                 .arg(m_triggered ? QStringLiteral("drawn") : QStringLiteral("shown"), 12)
                 .arg(QStringLiteral("sent"), 12)
                 .arg(QStringLiteral("dropped B"), 10)
          << Qt::endl;

    const qint64 intervalMs = qint64(m_settings.intervalSeconds) * 1000;
    const qint64 deadlineMs = m_firstMs + qint64(m_seconds * 1000.0) + kDriveSlackMs;
    qint64 nextRowMs = m_firstMs + intervalMs;
    while (m_drive.state() != QProcess::NotRunning) {
        const bool onTime = spinUntil(
            [&] {
                return m_drive.state() == QProcess::NotRunning
                    || m_monitor.state() == QProcess::NotRunning || m_clock.elapsed() >= nextRowMs
                    || m_clock.elapsed() >= deadlineMs;
            },
            intervalMs + kDriveSlackMs);
        if (*m_interrupted)
            return fail(QStringLiteral("interrupted"));
        if (!onTime || m_monitor.state() == QProcess::NotRunning) {
            result.failure = m_monitor.state() == QProcess::NotRunning
                ? QStringLiteral("the monitor ended by itself (exit code %1)")
                      .arg(m_monitor.exitCode())
                : QStringLiteral("the event loop stalled");
            break;
        }
        if (m_clock.elapsed() >= nextRowMs) {
            sampleRow(false);
            nextRowMs += intervalMs;
        }
        if (m_clock.elapsed() >= deadlineMs) {
            result.failure = QStringLiteral("the drive did not finish its time");
            m_drive.terminate();
            spinUntil([this] { return m_drive.state() == QProcess::NotRunning; }, kStopMs);
            break;
        }
    }

    if (result.failure.isEmpty()) {
        // Whatever the drive wrote last is shown within a stats period or two.
        const quint64 linesAtEnd = m_statsLines;
        spinUntil([&] { return m_statsLines >= linesAtEnd + 2; }, kStopMs);
        sampleRow(true);
        stopMonitor();
        if (m_monitor.state() != QProcess::NotRunning)
            result.failure = QStringLiteral("the monitor did not stop on SIGTERM");
    }
    if (!result.failure.isEmpty())
        m_out << "  " << modeName() << ": " << result.failure << Qt::endl;

    result.seconds = double(m_lastMs - m_firstMs) / 1000.0;
    result.rssStartMb = megabytes(double(m_firstUsage.rssKb));
    result.rssEndMb = megabytes(double(m_lastUsage.rssKb));
    result.rssPeakMb = megabytes(m_rssPeakKb);
    if (m_lastMs > m_firstMs)
        result.meanCpuPercent = 100.0 * double(m_lastUsage.cpuTicks - m_firstUsage.cpuTicks)
            / double(m_ticksPerSecond) / (double(m_lastMs - m_firstMs) / 1000.0);
    result.shown = m_stats;
    result.sent = m_counts;
    return result;
}

bool SoakPhase::startDrive()
{
    m_drive.start(m_settings.simProgram,
        { QStringLiteral("--mode"), modeName(), QStringLiteral("--wait-open"),
            QStringLiteral("--stats"), QStringLiteral("--duration"), QString::number(m_seconds),
            QStringLiteral("--rate"), QString::number(m_settings.bytesPerSecond),
            QStringLiteral("--seed"), QString::number(m_settings.seed) });
    if (!m_drive.waitForStarted())
        return false;
    spinUntil([this] { return m_drive.canReadLine() || m_drive.state() == QProcess::NotRunning; },
        kStartupMs);
    m_drive.setReadChannel(QProcess::StandardOutput);
    if (!m_drive.canReadLine())
        return false;
    m_ptyPath = QString::fromLocal8Bit(m_drive.readLine()).trimmed();
    return !m_ptyPath.isEmpty();
}

bool SoakPhase::startMonitor(const QString &configDir, const QString &runtimeDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    m_monitor.setProcessEnvironment(environment);
    m_monitor.start(m_settings.monitorProgram,
        { QStringLiteral("--port"), QStringLiteral("1=") + m_ptyPath, QStringLiteral("--start"),
            modeName(), QStringLiteral("--stats-every"), QString::number(kStatsEverySeconds) });
    return m_monitor.waitForStarted();
}

void SoakPhase::sampleRow(bool last)
{
    const qint64 now = m_clock.elapsed();
    const std::optional<ProcessUsage> usage = readProcessUsage(m_monitor.processId());
    if (!usage)
        return;
    const double seconds = double(now - m_lastMs) / 1000.0;
    // The end of the drive's time can fall just after a row; the totals are in the summary.
    if (last && seconds < 1.0)
        return;
    const double cpu = seconds > 0.0 ? 100.0 * double(usage->cpuTicks - m_lastUsage.cpuTicks)
            / double(m_ticksPerSecond) / seconds
                                     : 0.0;
    m_lastUsage = *usage;
    m_lastMs = now;
    m_rssPeakKb = std::max(m_rssPeakKb, double(usage->rssKb));
    const quint64 shown = m_triggered ? m_stats.captures : m_stats.samples;
    const quint64 sent = m_triggered ? m_counts.transients : m_counts.samples;
    m_out << QStringLiteral("  %1 %2 %3 %4 %5 %6%7")
                 .arg(double(now - m_firstMs) / 60000.0, 7, 'f', 1)
                 .arg(megabytes(double(usage->rssKb)), 8, 'f', 1)
                 .arg(cpu, 7, 'f', 1)
                 .arg(shown, 12)
                 .arg(sent, 12)
                 .arg(m_counts.bytesDropped, 10)
                 .arg(last ? QStringLiteral("  (end)") : QString())
          << Qt::endl;
}

void SoakPhase::stopMonitor()
{
    m_monitor.terminate();
    if (!spinUntil([this] { return m_monitor.state() == QProcess::NotRunning; }, kStopMs))
        return;
    // A line printed on the way out is the last word.
    onMonitorOutput();
}

bool SoakPhase::spinUntil(const std::function<bool()> &done, qint64 timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (*m_interrupted || timer.hasExpired(timeoutMs))
            return false;
        QEventLoop loop;
        QTimer::singleShot(kSpinMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void SoakPhase::onMonitorOutput()
{
    forwardLines(m_monitor, QProcess::StandardOutput, [this](const QByteArray &line) {
        if (const std::optional<MonitorStats> stats = parseMonitorStats(line)) {
            m_stats = *stats;
            ++m_statsLines;
        } else if (!line.isEmpty()) {
            m_out << "  monitor: " << QString::fromLocal8Bit(line) << Qt::endl;
        }
    });
}

void SoakPhase::onMonitorErrors()
{
    forwardLines(m_monitor, QProcess::StandardError, [this](const QByteArray &line) {
        if (!line.isEmpty())
            m_out << "  monitor: " << QString::fromLocal8Bit(line) << Qt::endl;
    });
}

void SoakPhase::onDriveErrors()
{
    forwardLines(m_drive, QProcess::StandardError, [this](const QByteArray &line) {
        if (const std::optional<DriveCounts> counts = parseDriveCounts(line))
            m_counts = *counts;
        else if (!line.isEmpty())
            m_out << "  drive: " << QString::fromLocal8Bit(line) << Qt::endl;
    });
}
