// velmora-capture: transients, or the live stream, of a servo drive written to CSV files without
// a window or a display. Reads the monitor's port map but never writes its settings.
#include "app/capture_options.h"
#include "app/capture_run.h"
#include "core/app_version.h"
#include "core/stored_settings.h"
#include "serial/port_map.h"
#include "sim/sim_serial_device.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_signalPipe[2] = { -1, -1 };

extern "C" void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

bool catchStopSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    struct sigaction action
    {
    };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

void complain(const QString &text)
{
    std::fprintf(stderr, "velmora-capture: %s\n", qPrintable(text));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QLatin1String(kVersionText));
    const CaptureOptions options = CaptureOptions::parse(app.arguments());
    if (!options.error.isEmpty()) {
        complain(options.error + QStringLiteral("\nTry --help."));
        return CaptureRun::BadCommandLine;
    }
    if (options.helpRequested) {
        std::fputs(qPrintable(CaptureOptions::usage()), stdout);
        return 0;
    }
    if (options.versionRequested) {
        std::fputs(qPrintable(CaptureOptions::versionText()), stdout);
        return 0;
    }

    PortMap ports;
    const std::shared_ptr<DriveSender> simulatedDrive = SimSerialDevice::makeDrive(1);
    ports.registerSpecialDevice(QStringLiteral("sim"),
        [simulatedDrive] { return std::make_unique<SimSerialDevice>(simulatedDrive); });
    {
        // The monitor's own settings file, read only.
        StoredSettings stored(QStringLiteral("velmora-monitor"));
        for (const QString &problem : ports.loadOverrides(stored.store()))
            complain(problem);
    }
    if (!options.portOption.isEmpty()) {
        const QString problem = ports.applyPortOption(options.portOption);
        if (!problem.isEmpty()) {
            complain(problem);
            return CaptureRun::BadCommandLine;
        }
    }

    CaptureRun run(options, ports);
    QObject::connect(&run, &CaptureRun::output, &app, [](const QByteArray &line) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    QObject::connect(&run, &CaptureRun::diagnostic, &app, complain);
    QObject::connect(&run, &CaptureRun::finished, &app, &QCoreApplication::exit);

    std::unique_ptr<QSocketNotifier> stopRequests;
    if (catchStopSignals()) {
        stopRequests = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
        QObject::connect(stopRequests.get(), &QSocketNotifier::activated, &run, [&run] {
            char byte;
            [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[1], &byte, 1);
            run.interrupt();
        });
    } else {
        complain(QStringLiteral("Ctrl+C and SIGTERM cannot be caught; they end the program at "
                                "once"));
    }

    QTimer::singleShot(0, &run, &CaptureRun::start);
    return app.exec();
}
