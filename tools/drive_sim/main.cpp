// velmora-drive-sim: a simulated servo drive on a pseudo-terminal, for running the monitor (or
// a soak test) without a drive on the desk. Prints the terminal's path on the first line.
#include "drive_sim_options.h"
#include "pty_drive.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {
volatile std::sig_atomic_t g_stop = 0;

extern "C" void requestStop(int)
{
    g_stop = 1;
}

void printCounts(const PtyDriveCounts &counts)
{
    std::fprintf(stderr,
        "velmora-drive-sim: %llu samples, %llu transients, %llu over-spin samples, "
        "%llu bytes dropped\n",
        static_cast<unsigned long long>(counts.samplesWritten),
        static_cast<unsigned long long>(counts.transients),
        static_cast<unsigned long long>(counts.overspinSamples),
        static_cast<unsigned long long>(counts.bytesDropped));
}
} // namespace

int main(int argc, char *argv[])
{
    // For the program's name in the help; the drive itself runs without an event loop.
    QCoreApplication application(argc, argv);
    const DriveSimCommand command = parseDriveSimCommand(application.arguments());
    if (command.action == DriveSimCommand::Action::ShowHelp
        || command.action == DriveSimCommand::Action::ShowVersion) {
        std::fputs(qPrintable(command.message), stdout);
        return 0;
    }
    if (command.action == DriveSimCommand::Action::Fail) {
        std::fprintf(stderr, "velmora-drive-sim: %s\nTry --help.\n", qPrintable(command.message));
        return 2;
    }
    const DriveSimOptions &options = command.options;

    QString error;
    std::unique_ptr<DriveSender> sender = makeDriveSender(options, &error);
    if (!sender) {
        std::fprintf(stderr, "velmora-drive-sim: %s\n", qPrintable(error));
        return 1;
    }
    PtyDrive drive(std::move(sender), options.triggered);
    drive.setPieceBytes(options.pieceBytes);
    if (!drive.open(&error)) {
        std::fprintf(stderr, "velmora-drive-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (options.startMidSample)
        drive.startMidSample();
    if (!drive.watchesOpenings())
        std::fputs(
            "velmora-drive-sim: inotify unavailable; a quick reopen may go unnoticed\n", stderr);

    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    std::printf("%s\n", qPrintable(drive.slavePath()));
    std::fflush(stdout);

    drive.run(options.durationSeconds, options.waitOpen, &g_stop,
        options.stats ? std::function<void(const PtyDriveCounts &)>(printCounts) : nullptr);
    printCounts(drive.counts());
    return 0;
}
