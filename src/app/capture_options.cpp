// Command-line parsing for velmora-capture.
#include "app/capture_options.h"

#include "core/app_version.h"
#include "core/command_line.h"
#include "files/transient_csv.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

// velmora-capture's options with their help texts: parse() and usage() read the same list.
struct CaptureCommandLine
{
    QCommandLineParser parser;
    const QCommandLineOption help = helpOption();
    const QCommandLineOption version = versionOption();
    const QCommandLineOption port { QStringLiteral("port"),
        QStringLiteral("Capture from port number N (1..255), the device the monitor's settings "
                       "name for it, or DEVICE: a device path, or 'sim' for the built-in "
                       "simulated drive."),
        QStringLiteral("N[=DEVICE]") };
    const QCommandLineOption count { QStringLiteral("count"),
        QStringLiteral("Transients to capture (default 1)."), QStringLiteral("N") };
    const QCommandLineOption timeout { QStringLiteral("timeout"),
        QStringLiteral("Give up when no transient has come for SECONDS (default 60; 0 waits for "
                       "ever)."),
        QStringLiteral("SECONDS") };
    const QCommandLineOption out { QStringLiteral("out"),
        QStringLiteral("Where the files go (default the current folder); made when missing."),
        QStringLiteral("DIR") };
    const QCommandLineOption note { QStringLiteral("note"),
        QStringLiteral("Write TEXT into every capture as its note (the settings tried, say "
                       "\"P 12, FF1 30\"): a line of its file and the note column of "
                       "history.csv."),
        QStringLiteral("TEXT") };
    const QCommandLineOption continuous { QStringLiteral("continuous"),
        QStringLiteral("Log the live stream of every sample for SECONDS instead of capturing "
                       "transients, into one live-*.csv file."),
        QStringLiteral("SECONDS") };

    CaptureCommandLine()
    {
        parser.setApplicationDescription(
            QStringLiteral("Captures a servo drive's transients, or logs its live following "
                           "error, without a window, and writes them as CSV files."));
        parser.addOptions({ help, version, port, count, timeout, out, note, continuous });
    }
};

} // namespace

CaptureOptions CaptureOptions::parse(const QStringList &args)
{
    CaptureOptions options;
    CaptureCommandLine line;
    QCommandLineParser &parser = line.parser;
    const auto fail = [&options](const QString &error) {
        options.error = error;
        return options;
    };
    if (!parser.parse(args))
        return fail(parser.errorText());
    if (parser.isSet(line.help)) {
        options.helpRequested = true;
        return options;
    }
    if (parser.isSet(line.version)) {
        options.versionRequested = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'")
                        .arg(parser.positionalArguments().constFirst()));

    const QStringList ports = parser.values(line.port);
    if (ports.isEmpty())
        return fail(QStringLiteral("--port N or --port N=DEVICE is needed"));
    if (ports.size() > 1)
        return fail(QStringLiteral("one --port only: the capture reads one port"));
    const QString portText = ports.constFirst();
    const qsizetype equals = portText.indexOf(QLatin1Char('='));
    const std::optional<qint64> number = optionWholeNumber(portText.left(equals), 1, 255);
    if (!number)
        return fail(QStringLiteral("--port takes N or N=DEVICE with N from 1 to 255, not '%1'")
                        .arg(portText));
    options.port = int(*number);
    // The device is checked against the port map, which knows what a device may be.
    if (equals >= 0)
        options.portOption = portText;

    if (parser.isSet(line.continuous)) {
        if (parser.isSet(line.count) || parser.isSet(line.timeout))
            return fail(QStringLiteral("--count and --timeout are for transients; "
                                       "--continuous runs for the time it is given"));
        const std::optional<double> seconds
            = optionNumber(parser.value(line.continuous), 0, kMaxContinuousSeconds);
        if (!seconds || *seconds == 0)
            return fail(QStringLiteral("--continuous takes seconds above 0, at most %1, not '%2'")
                            .arg(kMaxContinuousSeconds)
                            .arg(parser.value(line.continuous)));
        options.continuousSeconds = *seconds;
    }
    if (parser.isSet(line.count)) {
        const std::optional<qint64> n = optionWholeNumber(parser.value(line.count), 1, kMaxCount);
        if (!n)
            return fail(QStringLiteral("--count takes a number from 1 to %1, not '%2'")
                            .arg(kMaxCount)
                            .arg(parser.value(line.count)));
        options.count = int(*n);
    }
    if (parser.isSet(line.timeout)) {
        // Up to a year; 0 waits for ever.
        const std::optional<double> seconds
            = optionNumber(parser.value(line.timeout), 0, 366 * 86400.0);
        if (!seconds)
            return fail(QStringLiteral("--timeout takes a number of seconds, 0 for no limit, "
                                       "not '%1'")
                            .arg(parser.value(line.timeout)));
        options.timeoutSeconds = *seconds;
    }
    if (parser.isSet(line.note)) {
        if (parser.isSet(line.continuous))
            return fail(QStringLiteral("--note is for transients; a live stream has none"));
        options.note = cleanNote(parser.value(line.note));
    }
    if (parser.isSet(line.out)) {
        options.outDir = parser.value(line.out);
        if (options.outDir.isEmpty())
            return fail(QStringLiteral("--out needs a folder"));
    }
    return options;
}

QString CaptureOptions::usage()
{
    return optionHelpText(CaptureCommandLine().parser)
        + QStringLiteral(
            "\n"
            "Each transient is written to DIR as transient-YYYYMMDD-HHMMSS-mmm.csv and gets a row\n"
            "in DIR/history.csv; its figures are printed on stdout as one JSON object a line,\n"
            "with the history columns as keys: captured_at and file are strings, the others\n"
            "numbers, null where a figure is none (file is the name within DIR).\n"
            "What happens on the link (start, stop, captures, failures, over-spin runs,\n"
            "resyncs) is added to DIR/events.csv as time,event,detail rows.\n"
            "\n"
            "A live stream file has the capture file's header and columns: index counts the\n"
            "samples received since the port opened, from 0; time_ms is index times the\n"
            "drive's sample period (1/5760 s), the drive's clock from the first sample, true\n"
            "while no sample is lost on the line; deviation_steps is the following error,\n"
            "empty for an over-spin sample (over_spin 1). At the end one JSON object gives\n"
            "captured_at (the opening), file, samples and over_spin_samples.\n"
            "\n"
            "Exit status: 0 all was captured; 1 a timeout, no live sample at all, or Ctrl+C or\n"
            "SIGTERM came first (what was captured is written); 2 the port failed (its error\n"
            "number and the system's words go to stderr); 3 the command line cannot be used;\n"
            "4 a file cannot be written.\n");
}

QString CaptureOptions::versionText()
{
    return QStringLiteral("velmora-capture %1\n").arg(QLatin1String(kVersionText));
}
