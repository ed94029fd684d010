// The main window's magnifier: the work of one scroll step, from the scroll bar's new value to
// the chart's image (clearing and up to 300 lines), and with the chart painted as well.
#include "bench_harness.h"
#include "transient_data.h"

#include "core/module_state.h"
#include "core/user_prompts.h"
#include "serial/port_map.h"
#include "serial/serial_device.h"
#include "ui/chart_surface.h"
#include "ui/folap.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

class SilentPrompts : public UserPrompts
{
public:
    Answer message(QWidget *, const QString &, Icon, Buttons) override { return Answer::Ok; }
    QString askFileName(QWidget *, const FileDialogRequest &) override { return QString(); }
};

// A main window on no ports, its settings in a folder of its own, a transient captured.
struct MagnifierRig
{
    QTemporaryDir settingsFolder;
    ModuleState state;
    PortMap ports;
    SilentPrompts prompts;
    std::unique_ptr<Folap> window;
    QScrollBar *csuszka = nullptr;

    MagnifierRig()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
        auto noDevice = [](int, int *error) -> std::unique_ptr<SerialDevice> {
            *error = SerialError::InvalidPort;
            return nullptr;
        };
        window = std::make_unique<Folap>(state, noDevice, ports, prompts, FolapSettings {});
        const QByteArray bytes = bench::transientPairs(kTransientCaptureBytes / 2);
        std::copy(bytes.cbegin(), bytes.cend(), window->session().captureBuffer().begin() + 1);
        csuszka = window->findChild<QScrollBar *>(QStringLiteral("Csuszka"));
        csuszka->setValue(1000);
    }

    // Alternates between two neighbouring values, so every call is a change, on both phases.
    void step() { csuszka->setValue(csuszka->value() == 1000 ? 1001 : 1000); }
};

} // namespace

VELMORA_BENCHMARK(magnifiedRedrawOfOneScrollStep)
{
    MagnifierRig rig;
    run.measure([&] {
        rig.step();
        bench::keep(rig.window->Rajz()->image());
    });
}

VELMORA_BENCHMARK(magnifiedRedrawOfOneScrollStepPainted)
{
    MagnifierRig rig;
    rig.window->show();
    QCoreApplication::processEvents(); // exposed, so that repaint() really paints
    run.measure([&] {
        rig.step();
        rig.window->Rajz()->repaint();
    });
}
