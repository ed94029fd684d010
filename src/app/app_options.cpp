// Command-line parsing for the monitor.
#include "app/app_options.h"

#include "core/app_version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

AppOptions AppOptions::parse(const QStringList &args)
{
    AppOptions options;
    QCommandLineParser parser;
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption(QStringLiteral("version"), QString());
    // Descriptions live in usage().
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption calculatorScreenshot(
        QStringLiteral("screenshot-calculator"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption analysisScreenshot(
        QStringLiteral("screenshot-analysis"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N=DEVICE"));
    const QCommandLineOption demo(QStringLiteral("demo"), QString());
    const QCommandLineOption start(QStringLiteral("start"), QString(), QStringLiteral("MODE"));
    const QCommandLineOption after(QStringLiteral("after"), QString(), QStringLiteral("MS"));
    const QCommandLineOption afterCapture(QStringLiteral("after-capture"), QString());
    const QCommandLineOption statsEvery(
        QStringLiteral("stats-every"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"), QString());
    parser.addOptions({ versionOption, screenshot, calculatorScreenshot, port, demo, start, after,
        afterCapture, statsEvery, record, listPorts });
    parser.addOption(analysisScreenshot);

    if (!parser.parse(args)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(helpOption)) {
        options.helpRequested = true;
        return options;
    }
    if (parser.isSet(versionOption)) {
        options.versionRequested = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("unexpected argument '%1'")
                            .arg(parser.positionalArguments().constFirst());
        return options;
    }
    options.screenshotFile = parser.value(screenshot);
    if (parser.isSet(screenshot) && options.screenshotFile.isEmpty()) {
        options.error = QStringLiteral("--screenshot needs a file name");
        return options;
    }
    options.calculatorScreenshotFile = parser.value(calculatorScreenshot);
    if (parser.isSet(calculatorScreenshot) && options.calculatorScreenshotFile.isEmpty()) {
        options.error = QStringLiteral("--screenshot-calculator needs a file name");
        return options;
    }
    options.analysisScreenshotFile = parser.value(analysisScreenshot);
    if (parser.isSet(analysisScreenshot) && options.analysisScreenshotFile.isEmpty()) {
        options.error = QStringLiteral("--screenshot-analysis needs a file name");
        return options;
    }
    // Checked against the port map, which knows what a device may be.
    options.portOptions = parser.values(port);
    options.demo = parser.isSet(demo);
    options.listPorts = parser.isSet(listPorts);

    if (parser.isSet(start)) {
        const QString mode = parser.value(start);
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
    if (parser.isSet(after)) {
        bool ok = false;
        options.screenshotAfterMs = parser.value(after).toInt(&ok);
        if (!ok || options.screenshotAfterMs < 0) {
            options.error = QStringLiteral("--after takes a number of milliseconds, not '%1'")
                                .arg(parser.value(after));
            return options;
        }
    }
    if (parser.isSet(statsEvery)) {
        bool ok = false;
        options.statsEverySeconds = parser.value(statsEvery).toInt(&ok);
        if (!ok || options.statsEverySeconds <= 0) {
            options.error = QStringLiteral("--stats-every takes a number of seconds, not '%1'")
                                .arg(parser.value(statsEvery));
            return options;
        }
    }
    options.recordFolder = parser.value(record);
    if (parser.isSet(record) && options.recordFolder.isEmpty()) {
        options.error = QStringLiteral("--record needs a folder");
        return options;
    }
    // The analysis window is drawn from captures, so it arms the triggered mode itself.
    if (!options.analysisScreenshotFile.isEmpty()) {
        if (options.start == StartMode::Continuous) {
            options.error = QStringLiteral("--screenshot-analysis captures in triggered mode");
            return options;
        }
        options.start = StartMode::Triggered;
    }
    options.screenshotAfterCapture = parser.isSet(afterCapture);
    if ((parser.isSet(after) || options.screenshotAfterCapture)
        && options.screenshotFile.isEmpty()) {
        options.error = QStringLiteral("--after and --after-capture go with --screenshot FILE");
        return options;
    }
    return options;
}

QString AppOptions::usage()
{
    // Written out rather than taken from QCommandLineParser, whose help text needs an
    // application object, and the platform has to be chosen before that exists.
    return QStringLiteral(
        "Usage: velmora-monitor [options]\n"
        "Velmora Servo Monitor\n"
        "\n"
        "Options:\n"
        "  -h, --help             Show this help.\n"
        "  --version              Print the program's name and version.\n"
        "  --screenshot FILE      Render the main window once start-up is done, save it\n"
        "                         as a PNG file and exit (works without a display).\n"
        "  --screenshot-calculator FILE\n"
        "                         Render the rotation calculator as it opens and save it as\n"
        "                         a PNG file; exit unless --screenshot is given too.\n"
        "  --screenshot-analysis FILE\n"
        "                         Start the triggered mode, set the first transient captured\n"
        "                         as a reference, render the transient analysis window with\n"
        "                         the second and its cursors, save it as a PNG file and exit\n"
        "                         (at most a minute; --demo captures from the simulated drive).\n"
        "  --port N=DEVICE        Use DEVICE for port number N (1..255); may be repeated.\n"
        "                         DEVICE is a device path, or 'sim' for the built-in\n"
        "                         simulated drive.\n"
        "  --demo                 Put the simulated drive on Comm 1 for this run (the\n"
        "                         settings file is not changed).\n"
        "  --list-ports           Print each port that names a device, one line each, and\n"
        "                         exit (works without a display): the port list's entry,\n"
        "                         the device (\"LINK -> NODE\" for a link) and what is there\n"
        "                         now: the adapter's description, manufacturer, serial\n"
        "                         number and USB vendor:product, \"present, no adapter\n"
        "                         details\", \"not present\" or \"built in\". Takes the\n"
        "                         settings file's [Ports], --port and --demo into account.\n"
        "  --start MODE           Once started, select MODE (continuous or triggered) and\n"
        "                         press its Start button.\n"
        "  --after MS             With --screenshot: let the window run MS milliseconds first.\n"
        "  --after-capture        With --screenshot: wait until the first transient has been\n"
        "                         drawn (at most a minute).\n"
        "  --record DIR           Also write every captured transient to DIR as\n"
        "                         transient-YYYYMMDD-HHMMSS-mmm.csv and add its figures to\n"
        "                         DIR/history.csv; DIR is made when missing, and the\n"
        "                         monitor does not start when it cannot be written.\n"
        "  --stats-every SECONDS  Print the live samples shown and the transients drawn so\n"
        "                         far on stdout this often (for long unattended runs).\n");
}

QString AppOptions::versionText()
{
    return QStringLiteral("velmora-monitor %1\n").arg(QLatin1String(kVersionText));
}

AppOptions::Platform AppOptions::platformFor(bool hasDisplay, bool platformChosen) const
{
    if (hasDisplay || platformChosen)
        return Platform::AsIs;
    return screenshotFile.isEmpty() && calculatorScreenshotFile.isEmpty()
            && analysisScreenshotFile.isEmpty()
        ? Platform::NoDisplay
        : Platform::Offscreen;
}
