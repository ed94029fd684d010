// The Velmora Servo Monitor program: one shared state, the port map, the prompts, the stored
// settings and the main window.
#include "app/analysis_screenshot.h"
#include "app/app_options.h"
#include "app/live_screenshot.h"
#include "core/app_version.h"
#include "core/module_state.h"
#include "core/stored_settings.h"
#include "files/event_csv_log.h"
#include "files/transient_recorder.h"
#include "serial/port_describer.h"
#include "serial/port_map.h"
#include "sim/sim_serial_device.h"
#include "ui/folap.h"
#include "ui/live_chart.h"
#include "ui/process_setup.h"
#include "ui/qt_user_prompts.h"
#include "ui/szamolo.h"
#include "ui/transient_analysis.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

QStringList rawArguments(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

void complain(const QString &text)
{
    std::fprintf(stderr, "velmora-monitor: %s\n", qPrintable(text));
}

// The settings file's [Ports], then --demo and --port; false after an unusable --port.
bool mapPorts(PortMap &ports, StoredSettings &stored, const AppOptions &options)
{
    for (const QString &problem : ports.loadOverrides(stored.store()))
        complain(problem);
    // --demo: the simulated drive on Comm 1 for this run; an explicit --port still wins.
    if (options.demo)
        ports.applyPortOption(QStringLiteral("1=sim"));
    for (const QString &option : options.portOptions) {
        const QString problem = ports.applyPortOption(option);
        if (!problem.isEmpty()) {
            complain(problem);
            return false;
        }
    }
    return true;
}

// --list-ports: the port list's devices as the tooltips show them, without a window.
int listPorts(int argc, char *argv[], const AppOptions &options)
{
    QCoreApplication app(argc, argv);
    StoredSettings stored;
    PortMap ports;
    if (!mapPorts(ports, stored, options))
        return 1;
    const QStringList lines = PortDescriber(availablePorts()).table(ports);
    for (const QString &line : lines)
        std::puts(qPrintable(line));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const AppOptions options = AppOptions::parse(rawArguments(argc, argv));
    if (!options.error.isEmpty()) {
        complain(options.error);
        return 1;
    }
    if (options.helpRequested) {
        // Help needs no display: a core application names the program for it.
        QCoreApplication app(argc, argv);
        std::fputs(qPrintable(AppOptions::usage()), stdout);
        return 0;
    }
    if (options.versionRequested) {
        std::fputs(qPrintable(AppOptions::versionText()), stdout);
        return 0;
    }
    if (options.listPorts)
        return listPorts(argc, argv, options);
    if (!options.recordFolder.isEmpty()) {
        const QString problem = checkWritableFolder(options.recordFolder);
        if (!problem.isEmpty()) {
            complain(problem);
            return 1;
        }
    }

    // The platform is chosen before the application object exists, or Qt aborts on a missing
    // display instead of saying so.
    const bool hasDisplay = !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    switch (options.platformFor(hasDisplay, !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))) {
    case AppOptions::Platform::NoDisplay:
        complain(QStringLiteral("no display (DISPLAY/WAYLAND_DISPLAY unset); use --screenshot "
                                "FILE or run under a desktop"));
        return 2;
    case AppOptions::Platform::Offscreen:
        qputenv("QT_QPA_PLATFORM", "offscreen");
        break;
    case AppOptions::Platform::AsIs:
        break;
    }

    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QLatin1String(kVersionText));
    setUpUiProcess();
    // No application display name: on X11 and Wayland Qt appends it to every window title, and
    // the main window's caption already carries the program's name. Message boxes are titled
    // with it explicitly (QtUserPrompts).

    if (!options.calculatorScreenshotFile.isEmpty()) {
        // As the calculator first opens in a run, before any of its values has been entered.
        ModuleState fresh;
        if (!Szamolo::renderForScreenshot(fresh).save(options.calculatorScreenshotFile, "PNG")) {
            complain(QStringLiteral("cannot write %1").arg(options.calculatorScreenshotFile));
            return 1;
        }
        if (options.screenshotFile.isEmpty() && !options.analysisWanted()
            && options.liveScreenshotFile.isEmpty())
            return 0;
    }

    StoredSettings stored;
    PortMap ports;
    // "--port N=sim" puts the built-in simulated drive on a port; one drive for every opening,
    // so it keeps moving between Starts.
    const std::shared_ptr<DriveSender> simulatedDrive = SimSerialDevice::makeDrive(1);
    ports.registerSpecialDevice(QStringLiteral("sim"),
        [simulatedDrive] { return std::make_unique<SimSerialDevice>(simulatedDrive); });
    if (!mapPorts(ports, stored, options))
        return 1;

    ModuleState state;
    QtUserPrompts prompts;
    // The live chart's picture shows every sample, whatever the stored CPU saver setting.
    Folap window(state, ports.factory(), ports, prompts,
        { stored.readPort(), options.liveScreenshotFile.isEmpty() ? stored.readMinta() : 2,
            stored.readReconnect(), stored.readLiveSpanMs(), stored.readLiveHistoryMinutes() });
    // Written as the window closes; a file that cannot be written is said, and the window still
    // closes.
    QObject::connect(
        &window, &Folap::settingsToStore, &window, [&stored](const FolapSettings &settings) {
            stored.writePort(settings.portIndex);
            stored.writeMinta(settings.minta);
            stored.writeReconnect(settings.reconnect);
            stored.writeLiveSpanMs(settings.liveSpanMs);
            const QString problem = stored.save();
            if (!problem.isEmpty())
                complain(problem);
        });
    if (!options.recordFolder.isEmpty()) {
        // A write that fails is said and the monitor runs on; the capture is still on the chart.
        auto *recorder = new TransientRecorder(options.recordFolder, &window);
        recorder->listen(window.session());
        QObject::connect(recorder, &TransientRecorder::writeFailed, &window, complain);
        auto *events = new EventCsvLog(EventCsvLog::pathIn(options.recordFolder), &window);
        events->listen(window.eventLog());
        QObject::connect(events, &EventCsvLog::writeFailed, &window, complain);
    }
    window.show();

    if (options.analysisWanted()) {
        QList<AnalysisOutput> outputs;
        if (const QString file = options.analysisScreenshotFile; !file.isEmpty())
            outputs.append([file](TransientAnalysis &analysis) {
                return analysis.grab().save(file, "PNG")
                    ? QString()
                    : QStringLiteral("cannot write %1").arg(file);
            });
        if (const QString file = options.analysisReportFile; !file.isEmpty())
            outputs.append(
                [file](TransientAnalysis &analysis) { return analysis.writeReport(file); });
        shootTransientAnalysis(window, outputs, complain);
    }
    // Before the Start, so the chart records the stream from its first sample.
    if (options.liveChart)
        window.LiveChart_Click();
    if (!options.liveScreenshotFile.isEmpty())
        shootLiveChart(window, options.liveScreenshotFile, complain);

    if (options.start != AppOptions::StartMode::None) {
        QTimer::singleShot(0, &window, [&window, &options] {
            window.startMode(options.start == AppOptions::StartMode::Continuous
                    ? Folap::Mode::Continuous
                    : Folap::Mode::Triggered);
        });
    }

    QTimer statsTimer;
    if (options.statsEverySeconds > 0) {
        QObject::connect(&statsTimer, &QTimer::timeout, &window, [&window] {
            const LiveChart *chart = window.liveChart();
            std::printf("velmora-monitor: stats samples=%llu captures=%llu chart=%llu\n",
                (unsigned long long)window.samplesShown(),
                (unsigned long long)window.capturesDrawn(),
                (unsigned long long)(chart ? chart->history().samplesTaken() : 0));
            std::fflush(stdout);
        });
        statsTimer.start(options.statsEverySeconds * 1000);
    }

    if (!options.screenshotFile.isEmpty()) {
        // Once the window has been laid out and polished, after the wait asked for; the settings
        // are left as they were, since the window is not closed.
        const auto shoot = [&window, &options] {
            const bool saved = window.grab().save(options.screenshotFile, "PNG");
            if (!saved)
                complain(QStringLiteral("cannot write %1").arg(options.screenshotFile));
            QCoreApplication::exit(saved ? 0 : 1);
        };
        if (options.screenshotAfterCapture) {
            QObject::connect(
                &window, &Folap::transientDrawn, &window,
                [shoot, &window] { QTimer::singleShot(0, &window, shoot); },
                Qt::SingleShotConnection);
            QTimer::singleShot(60000, &window, [] {
                complain(QStringLiteral("no transient was captured within a minute"));
                QCoreApplication::exit(1);
            });
        } else {
            QTimer::singleShot(options.screenshotAfterMs, &window, shoot);
        }
    }
    return app.exec();
}
