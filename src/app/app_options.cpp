// Command-line parsing for the monitor.
#include "app/app_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

AppOptions AppOptions::parse(const QStringList &args)
{
    AppOptions options;
    QCommandLineParser parser;
    const QCommandLineOption helpOption = parser.addHelpOption();
    // Descriptions live in usage().
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N=DEVICE"));
    parser.addOption(screenshot);
    parser.addOption(port);

    if (!parser.parse(args)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(helpOption)) {
        options.helpRequested = true;
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
    // Checked against the port map, which knows what a device spec may be.
    options.portOptions = parser.values(port);
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
        "  --screenshot FILE      Render the main window once start-up is done, save it\n"
        "                         as a PNG file and exit (works without a display).\n"
        "  --port N=DEVICE        Use DEVICE for port number N (1..255); may be repeated.\n");
}

AppOptions::Platform AppOptions::platformFor(bool hasDisplay, bool platformChosen) const
{
    if (hasDisplay || platformChosen)
        return Platform::AsIs;
    return screenshotFile.isEmpty() ? Platform::NoDisplay : Platform::Offscreen;
}
