// velmora-soak: runs the real monitor against the simulated drive at line rate for a long time
// (an hour by default: the first half in continuous mode with the CPU saver off, the second half
// in triggered mode) and reports its memory, its CPU use and what it lost. Not part of the test
// suite; run it by hand:
//   build/velmora-soak                       the full hour, a row every minute
//   build/velmora-soak --minutes 3 --interval 10
//   build/velmora-soak --only triggered --minutes 20
#include "soak_phase.h"

#include "core/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <limits>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void interrupt(int)
{
    g_interrupted = 1;
}

// The settings, or an empty text with *error set.
bool parseSettings(const QStringList &arguments, SoakSettings *settings, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs velmora-monitor offscreen against velmora-drive-sim at line rate and "
                       "prints its memory, CPU use and losses per interval. The run is split in "
                       "half: continuous mode with the CPU saver off, then triggered mode."));
    parser.addHelpOption();
    const QCommandLineOption minutes(QStringLiteral("minutes"),
        QStringLiteral("Length of the whole run (default 60), split evenly between the phases."),
        QStringLiteral("MINUTES"), QStringLiteral("60"));
    const QCommandLineOption only(QStringLiteral("only"),
        QStringLiteral("Run one phase only, for the whole time."),
        QStringLiteral("continuous|triggered"));
    const QCommandLineOption interval(QStringLiteral("interval"),
        QStringLiteral("Seconds between two rows of figures (default 60)."),
        QStringLiteral("SECONDS"), QStringLiteral("60"));
    const QCommandLineOption rate(QStringLiteral("rate"),
        QStringLiteral("The drive's line rate (default 11520 bytes/s, 115200 baud)."),
        QStringLiteral("BYTES_PER_S"), QStringLiteral("11520"));
    const QCommandLineOption seed(QStringLiteral("seed"),
        QStringLiteral("Seed of the simulated axis (default 1)."), QStringLiteral("N"),
        QStringLiteral("1"));
    const QString here = QCoreApplication::applicationDirPath();
    const QCommandLineOption monitor(QStringLiteral("monitor"),
        QStringLiteral("The monitor program (default: velmora-monitor beside this program)."),
        QStringLiteral("PATH"), QDir(here).filePath(QStringLiteral("velmora-monitor")));
    const QCommandLineOption sim(QStringLiteral("sim"),
        QStringLiteral("The drive simulator (default: velmora-drive-sim beside this program)."),
        QStringLiteral("PATH"), QDir(here).filePath(QStringLiteral("velmora-drive-sim")));
    parser.addOptions({ minutes, only, interval, rate, seed, monitor, sim });
    parser.process(arguments); // exits on --help and on unknown options

    const std::optional<double> minutesGiven
        = optionNumber(parser.value(minutes), 0, std::numeric_limits<double>::max());
    if (!minutesGiven || *minutesGiven == 0) {
        *error = QStringLiteral("--minutes takes a positive number");
        return false;
    }
    settings->minutes = *minutesGiven;
    const std::optional<qint64> intervalGiven
        = optionWholeNumber(parser.value(interval), 1, std::numeric_limits<int>::max() / 1000);
    if (!intervalGiven) {
        *error = QStringLiteral("--interval takes a positive whole number of seconds");
        return false;
    }
    settings->intervalSeconds = int(*intervalGiven);
    const std::optional<qint64> rateGiven
        = optionWholeNumber(parser.value(rate), 2, std::numeric_limits<int>::max());
    if (!rateGiven) {
        *error = QStringLiteral("--rate takes a whole number of bytes a second, at least 2");
        return false;
    }
    settings->bytesPerSecond = int(*rateGiven);
    bool ok = false;
    settings->seed = parser.value(seed).toULongLong(&ok);
    if (!ok) {
        *error = QStringLiteral("--seed takes a whole number");
        return false;
    }
    if (parser.isSet(only)) {
        const QString mode = parser.value(only);
        settings->continuous = mode == QLatin1String("continuous");
        settings->triggered = mode == QLatin1String("triggered");
        if (!settings->continuous && !settings->triggered) {
            *error = QStringLiteral("--only takes continuous or triggered, not %1").arg(mode);
            return false;
        }
    }
    settings->monitorProgram = parser.value(monitor);
    settings->simProgram = parser.value(sim);
    for (const QString &program : { settings->monitorProgram, settings->simProgram }) {
        if (!QFileInfo(program).isExecutable()) {
            *error = QStringLiteral("%1 is not an executable program").arg(program);
            return false;
        }
    }
    return true;
}

void printSummary(QTextStream &out, const PhaseResult &result)
{
    out << QStringLiteral("  %1 %2 min  RSS %3 -> %4 MB (peak %5)  mean CPU %6 %")
               .arg(result.triggered ? QStringLiteral("triggered ") : QStringLiteral("continuous"))
               .arg(result.seconds / 60.0, 5, 'f', 1)
               .arg(result.rssStartMb, 0, 'f', 1)
               .arg(result.rssEndMb, 0, 'f', 1)
               .arg(result.rssPeakMb, 0, 'f', 1)
               .arg(result.meanCpuPercent, 0, 'f', 1);
    if (result.triggered)
        out << QStringLiteral("  transients sent %1, drawn %2, missed %3")
                   .arg(result.sent.transients)
                   .arg(result.shown.captures)
                   .arg(result.lost());
    if (result.triggered && result.lost() == 1)
        out << " (the drive's time may have ended in the middle of the last one)";
    if (!result.triggered)
        out << QStringLiteral("  pairs sent %1, shown %2, lost %3")
                   .arg(result.sent.samples)
                   .arg(result.shown.samples)
                   .arg(result.lost());
    out << QStringLiteral(" (drive dropped %1 bytes)").arg(result.sent.bytesDropped);
    if (!result.failure.isEmpty())
        out << "  FAILED: " << result.failure;
    out << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    SoakSettings settings;
    QString error;
    if (!parseSettings(application.arguments(), &settings, &error)) {
        std::fprintf(stderr, "velmora-soak: %s\n", qPrintable(error));
        return 2;
    }

    struct sigaction action
    {
    };
    action.sa_handler = interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    QTextStream out(stdout);
    const int phases = int(settings.continuous) + int(settings.triggered);
    const double phaseSeconds = settings.minutes * 60.0 / phases;
    out << "velmora-soak: " << settings.minutes << " min at " << settings.bytesPerSecond
        << " bytes/s, a row every " << settings.intervalSeconds << " s" << Qt::endl;

    QList<PhaseResult> results;
    for (const bool triggered : { false, true }) {
        if ((triggered ? settings.triggered : settings.continuous) && !g_interrupted) {
            SoakPhase phase(settings, triggered, phaseSeconds, out, &g_interrupted);
            results << phase.run();
        }
    }

    out << "Summary" << Qt::endl;
    bool failed = g_interrupted != 0;
    for (const PhaseResult &result : results) {
        printSummary(out, result);
        failed = failed || !result.failure.isEmpty();
    }
    return failed ? 1 : 0;
}
