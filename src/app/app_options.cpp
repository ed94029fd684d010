// Command-line parsing for the monitor.
#include "app/app_options.h"

#include "core/app_version.h"
#include "core/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <limits>

namespace {

// The monitor's options with their help texts: parse() and usage() read the same list.
struct MonitorCommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption help = helpOption();
    const QCommandLineOption version = versionOption();
    const QCommandLineOption screenshot { QStringLiteral("screenshot"),
        QStringLiteral("Render the main window once start-up is done, save it as a PNG file and "
                       "exit (works without a display)."),
        QStringLiteral("FILE") };
    const QCommandLineOption calculatorScreenshot { QStringLiteral("screenshot-calculator"),
        QStringLiteral("Render the rotation calculator as it opens and save it as a PNG file; "
                       "exit unless --screenshot is given too."),
        QStringLiteral("FILE") };
    const QCommandLineOption analysisScreenshot { QStringLiteral("screenshot-analysis"),
        QStringLiteral("Start the triggered mode, set the first transient captured as a "
                       "reference, render the transient analysis window with the second and its "
                       "cursors, save it as a PNG file and exit (at most a minute; --demo "
                       "captures from the simulated drive)."),
        QStringLiteral("FILE") };
    const QCommandLineOption analysisReport { QStringLiteral("report-analysis"),
        QStringLiteral("As --screenshot-analysis, but write the analysis window's one-page PDF "
                       "report (the second capture compared with the first) and exit."),
        QStringLiteral("FILE") };
    const QCommandLineOption liveScreenshot { QStringLiteral("screenshot-live"),
        QStringLiteral("Run the simulated drive (as --demo) in continuous mode with the CPU saver "
                       "off for this run, open the live chart, render it after a few seconds, "
                       "save it as a PNG file and exit."),
        QStringLiteral("FILE") };
    const QCommandLineOption liveChart { QStringLiteral("live-chart"),
        QStringLiteral("Open the live chart (Tools > Live chart...) at start-up; its recording "
                       "of the continuous stream starts with it.") };
    const QCommandLineOption port { QStringLiteral("port"),
        QStringLiteral("Use DEVICE for port number N (1..255); may be repeated. DEVICE is a "
                       "device path, or 'sim' for the built-in simulated drive."),
        QStringLiteral("N=DEVICE") };
    const QCommandLineOption demo { QStringLiteral("demo"),
        QStringLiteral("Put the simulated drive on Comm 1 for this run (the settings file is not "
                       "changed).") };
    const QCommandLineOption listPorts { QStringLiteral("list-ports"),
        QStringLiteral("Print each port that names a device, one line each, and exit (works "
                       "without a display): the port list's entry, the device (\"LINK -> NODE\" "
                       "for a link) and what is there now: the adapter's description, "
                       "manufacturer, serial number and USB vendor:product, \"present, no "
                       "adapter details\", \"not present\" or \"built in\". Takes the settings "
                       "file's [Ports], --port and --demo into account.") };
    const QCommandLineOption start { QStringLiteral("start"),
        QStringLiteral("Once started, select MODE (continuous or triggered) and press its Start "
                       "button."),
        QStringLiteral("MODE") };
    const QCommandLineOption after { QStringLiteral("after"),
        QStringLiteral("With --screenshot: let the window run MS milliseconds first."),
        QStringLiteral("MS") };
    const QCommandLineOption afterCapture { QStringLiteral("after-capture"),
        QStringLiteral("With --screenshot: wait until the first transient has been drawn (at "
                       "most a minute).") };
    const QCommandLineOption record { QStringLiteral("record"),
        QStringLiteral("Also write every captured transient to DIR as "
                       "transient-YYYYMMDD-HHMMSS-mmm.csv and add its figures to "
                       "DIR/history.csv, and what happens on the link to DIR/events.csv; DIR "
                       "is made when missing, and the monitor does not start when it cannot "
                       "be written."),
        QStringLiteral("DIR") };
    const QCommandLineOption statsEvery { QStringLiteral("stats-every"),
        QStringLiteral("Print the live samples shown, the transients drawn and the samples the "
                       "live chart took in so far on stdout this often (for long unattended "
                       "runs)."),
        QStringLiteral("SECONDS") };

    MonitorCommandLine()
    {
        parser.setApplicationDescription(QStringLiteral("Velmora Servo Monitor"));
        parser.addOptions(
            { help, version, screenshot, calculatorScreenshot, analysisScreenshot, analysisReport,
                liveScreenshot, port, demo, listPorts, start, liveChart, after, afterCapture,
                record, statsEvery });
    }
};

} // namespace

AppOptions AppOptions::parse(const QStringList &args)
{
    AppOptions options;
    MonitorCommandLine line;
    QCommandLineParser &parser = line.parser;
    if (!parser.parse(args)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(line.help)) {
        options.helpRequested = true;
        return options;
    }
    if (parser.isSet(line.version)) {
        options.versionRequested = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("unexpected argument '%1'")
                            .arg(parser.positionalArguments().constFirst());
        return options;
    }
    for (const auto &[option, file] : { std::pair { &line.screenshot, &options.screenshotFile },
             std::pair { &line.calculatorScreenshot, &options.calculatorScreenshotFile },
             std::pair { &line.analysisScreenshot, &options.analysisScreenshotFile },
             std::pair { &line.analysisReport, &options.analysisReportFile },
             std::pair { &line.liveScreenshot, &options.liveScreenshotFile } }) {
        *file = parser.value(*option);
        if (parser.isSet(*option) && file->isEmpty()) {
            options.error
                = QStringLiteral("--%1 needs a file name").arg(option->names().constFirst());
            return options;
        }
    }
    // Checked against the port map, which knows what a device may be.
    options.portOptions = parser.values(line.port);
    options.demo = parser.isSet(line.demo);
    options.liveChart = parser.isSet(line.liveChart);
    options.listPorts = parser.isSet(line.listPorts);

    if (parser.isSet(line.start)) {
        const QString mode = parser.value(line.start);
        if (mode == QLatin1String("continuous")) {
            options.start = StartMode::Continuous;
        } else if (mode == QLatin1String("triggered")) {
            options.start = StartMode::Triggered;
        } else {
            options.error
                = QStringLiteral("--start takes continuous or triggered, not '%1'").arg(mode);
            return options;
        }
    }
    if (parser.isSet(line.after)) {
        const std::optional<qint64> ms
            = optionWholeNumber(parser.value(line.after), 0, std::numeric_limits<int>::max());
        if (!ms) {
            options.error = QStringLiteral("--after takes a number of milliseconds, not '%1'")
                                .arg(parser.value(line.after));
            return options;
        }
        options.screenshotAfterMs = int(*ms);
    }
    if (parser.isSet(line.statsEvery)) {
        const std::optional<qint64> seconds = optionWholeNumber(
            parser.value(line.statsEvery), 1, std::numeric_limits<int>::max() / 1000);
        if (!seconds) {
            options.error = QStringLiteral("--stats-every takes a number of seconds, not '%1'")
                                .arg(parser.value(line.statsEvery));
            return options;
        }
        options.statsEverySeconds = int(*seconds);
    }
    options.recordFolder = parser.value(line.record);
    if (parser.isSet(line.record) && options.recordFolder.isEmpty()) {
        options.error = QStringLiteral("--record needs a folder");
        return options;
    }
    // The analysis window is drawn from captures, so it arms the triggered mode itself.
    if (options.analysisWanted()) {
        if (options.start == StartMode::Continuous) {
            options.error = QStringLiteral(
                "--screenshot-analysis and --report-analysis capture in triggered mode");
            return options;
        }
        options.start = StartMode::Triggered;
    }
    // The live chart is drawn from the simulated drive's continuous stream.
    if (!options.liveScreenshotFile.isEmpty()) {
        if (options.start == StartMode::Triggered || options.analysisWanted()) {
            options.error = QStringLiteral("--screenshot-live shows the continuous mode");
            return options;
        }
        options.start = StartMode::Continuous;
        options.demo = true;
        options.liveChart = true;
    }
    options.screenshotAfterCapture = parser.isSet(line.afterCapture);
    if ((parser.isSet(line.after) || options.screenshotAfterCapture)
        && options.screenshotFile.isEmpty()) {
        options.error = QStringLiteral("--after and --after-capture go with --screenshot FILE");
        return options;
    }
    return options;
}

QString AppOptions::usage()
{
    return optionHelpText(MonitorCommandLine().parser);
}

QString AppOptions::versionText()
{
    return QStringLiteral("velmora-monitor %1\n").arg(QLatin1String(kVersionText));
}

AppOptions::Platform AppOptions::platformFor(bool hasDisplay, bool platformChosen) const
{
    if (hasDisplay || platformChosen)
        return Platform::AsIs;
    return screenshotFile.isEmpty() && calculatorScreenshotFile.isEmpty() && !analysisWanted()
            && liveScreenshotFile.isEmpty()
        ? Platform::NoDisplay
        : Platform::Offscreen;
}
