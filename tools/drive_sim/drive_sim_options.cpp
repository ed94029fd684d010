// Command line parsing for the simulated drive on a pseudo-terminal.
#include "drive_sim_options.h"

#include "core/app_version.h"
#include "core/command_line.h"
#include "pty_drive.h"
#include "sim/drive_model.h"
#include "sim/recorded_samples.h"

#include <QCommandLineParser>
#include <QFile>

#include <limits>

namespace {
constexpr int kHighestRate = 10000000;
constexpr int kLargestPiece = 4096;

// A positive, finite number of seconds; false when the text is not one.
bool readSeconds(const QString &text, double *seconds)
{
    const std::optional<double> value = optionNumber(text, 0, std::numeric_limits<double>::max());
    if (!value || *value == 0)
        return false;
    *seconds = *value;
    return true;
}
} // namespace

DriveSimCommand parseDriveSimCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays a simulated servo drive into a pseudo-terminal and prints the "
                       "terminal's path, for running the Velmora Servo Monitor without a drive."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help."));
    const QCommandLineOption version(
        QStringLiteral("version"), QStringLiteral("Shows the program's version."));
    const QCommandLineOption mode(QStringLiteral("mode"),
        QStringLiteral("continuous: stream every sample; triggered: send one transient per move "
                       "while the terminal is open."),
        QStringLiteral("continuous|triggered"), QStringLiteral("continuous"));
    const QCommandLineOption seed(QStringLiteral("seed"),
        QStringLiteral("Seed of the simulated axis (default 1)."), QStringLiteral("N"),
        QStringLiteral("1"));
    const QCommandLineOption duration(QStringLiteral("duration"),
        QStringLiteral("Stop after this much time (default: never)."), QStringLiteral("SECONDS"));
    const QCommandLineOption overspin(QStringLiteral("overspin-every"),
        QStringLiteral("Over-spin at this interval."), QStringLiteral("SECONDS"));
    const QCommandLineOption rate(QStringLiteral("rate"),
        QStringLiteral("Line rate (default 11520, 115200 baud)."), QStringLiteral("BYTES_PER_S"),
        QString::number(DriveSender::kDefaultBytesPerSecond));
    const QCommandLineOption piece(QStringLiteral("piece"),
        QStringLiteral("Write once per this many bytes of line time (even), so a continuous "
                       "stream goes out in pieces of exactly this size (default: what is due "
                       "every %1 ms).")
            .arg(PtyDrive::kChunkMs),
        QStringLiteral("BYTES"));
    const QCommandLineOption raw(QStringLiteral("raw"),
        QStringLiteral("Play the samples of a recorded byte stream, over and over, instead of "
                       "the simulated axis."),
        QStringLiteral("FILE"));
    const QCommandLineOption waitOpen(QStringLiteral("wait-open"),
        QStringLiteral("Start the drive's clock (and the duration) when the terminal is first "
                       "opened."));
    const QCommandLineOption startMidSample(QStringLiteral("start-mid-sample"),
        QStringLiteral("Leave out the first sample's marker, so the line starts on a value "
                       "byte."));
    const QCommandLineOption stats(
        QStringLiteral("stats"), QStringLiteral("Print the counts every second on stderr."));
    parser.addOptions({ help, version, mode, seed, duration, overspin, rate, piece, raw, waitOpen,
        startMidSample, stats });

    DriveSimCommand command;
    const auto fail = [&command](const QString &message) {
        command.action = DriveSimCommand::Action::Fail;
        command.message = message;
        return command;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        command.action = DriveSimCommand::Action::ShowHelp;
        command.message = optionHelpText(parser);
        return command;
    }
    if (parser.isSet(version)) {
        command.action = DriveSimCommand::Action::ShowVersion;
        command.message = QStringLiteral("velmora-drive-sim %1\n").arg(QLatin1String(kVersionText));
        return command;
    }

    DriveSimOptions &options = command.options;
    const QString modeText = parser.value(mode);
    if (modeText != QLatin1String("continuous") && modeText != QLatin1String("triggered"))
        return fail(QStringLiteral("--mode takes continuous or triggered, not %1").arg(modeText));
    options.triggered = modeText == QLatin1String("triggered");

    bool ok = false;
    options.seed = parser.value(seed).toULongLong(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed takes a whole number from 0 to 18446744073709551615"));
    if (parser.isSet(duration) && !readSeconds(parser.value(duration), &options.durationSeconds))
        return fail(QStringLiteral("--duration takes a positive number of seconds"));
    if (parser.isSet(overspin)
        && !readSeconds(parser.value(overspin), &options.overspinEverySeconds))
        return fail(QStringLiteral("--overspin-every takes a positive number of seconds"));
    const std::optional<qint64> bytesPerSecond
        = optionWholeNumber(parser.value(rate), 2, kHighestRate);
    if (!bytesPerSecond)
        return fail(QStringLiteral("--rate takes a whole number of bytes a second from 2 to %1")
                        .arg(kHighestRate));
    options.bytesPerSecond = int(*bytesPerSecond);
    if (parser.isSet(piece)) {
        const std::optional<qint64> bytes
            = optionWholeNumber(parser.value(piece), 2, kLargestPiece);
        if (!bytes || *bytes % 2 != 0)
            return fail(QStringLiteral("--piece takes an even number of bytes from 2 to %1")
                            .arg(kLargestPiece));
        options.pieceBytes = int(*bytes);
    }
    options.rawFile = parser.value(raw);
    if (parser.isSet(raw) && options.rawFile.isEmpty())
        return fail(QStringLiteral("--raw takes a file name"));
    if (parser.isSet(raw) && (parser.isSet(seed) || parser.isSet(overspin)))
        return fail(QStringLiteral("--seed and --overspin-every shape the simulated axis; a "
                                   "recording plays as it was recorded"));
    options.waitOpen = parser.isSet(waitOpen);
    options.startMidSample = parser.isSet(startMidSample);
    options.stats = parser.isSet(stats);
    return command;
}

std::unique_ptr<DriveSender> makeDriveSender(const DriveSimOptions &options, QString *error)
{
    std::unique_ptr<SampleSource> source;
    if (options.rawFile.isEmpty()) {
        DriveModelConfig config;
        config.seed = options.seed;
        config.sampleRate = options.bytesPerSecond / 2;
        config.overspinEverySeconds = options.overspinEverySeconds;
        source = std::make_unique<DriveModel>(config);
    } else {
        QFile file(options.rawFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot read %1: %2").arg(options.rawFile, file.errorString());
            return nullptr;
        }
        auto recording = std::make_unique<RecordedSamples>(file.readAll());
        if (recording->isEmpty()) {
            *error = QStringLiteral("%1 holds no sample (a 128 or 129 byte and the byte after it)")
                         .arg(options.rawFile);
            return nullptr;
        }
        source = std::move(recording);
    }
    return std::make_unique<DriveSender>(std::move(source), options.bytesPerSecond);
}
