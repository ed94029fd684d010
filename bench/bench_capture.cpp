// The main window's serial event: one second of live samples at the line rate, and the capture
// of a transient from the overflow event to the drawn overview and the reopened port.
#include "bench_harness.h"
#include "silent_prompts.h"
#include "transient_data.h"

#include "core/module_state.h"
#include "serial/port_map.h"
#include "serial/serial_device.h"
#include "ui/chart_surface.h"
#include "ui/folap.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

// The port as the window sees it, fed by the benchmark.
class FedDevice : public SerialDevice
{
public:
    int open() override
    {
        m_open = true;
        return SerialError::None;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void setRequestToSend(bool) override { }
    QByteArray readAll() override { return std::exchange(m_waiting, QByteArray()); }
    void discardInput() override { m_waiting.clear(); }
    QString errorString() const override { return QString(); }

    void feed(const QByteArray &bytes)
    {
        m_waiting += bytes;
        Q_EMIT readyRead();
    }

private:
    QByteArray m_waiting;
    bool m_open = false;
};

// A main window whose port 1 is a FedDevice, its settings in a folder of its own.
struct WindowRig
{
    QTemporaryDir settingsFolder;
    ModuleState state;
    PortMap ports;
    bench::SilentPrompts prompts;
    std::unique_ptr<Folap> window;
    FedDevice *device = nullptr;

    explicit WindowRig(bool shown)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
        auto factory = [this](int, int *error) -> std::unique_ptr<SerialDevice> {
            auto made = std::make_unique<FedDevice>();
            device = made.get();
            *error = SerialError::None;
            return made;
        };
        window = std::make_unique<Folap>(state, factory, ports, prompts, FolapSettings {});
        if (shown) {
            window->show();
            QCoreApplication::processEvents();
        }
    }
    void click(const char *name)
    {
        window->findChild<QAbstractButton *>(QLatin1String(name))->click();
    }
    void startContinuous(bool saver)
    {
        auto *csok = window->findChild<QAbstractButton *>(QStringLiteral("Csok"));
        if (csok->isChecked() != saver)
            csok->click();
        click("Foly");
        click("FStart");
    }
};

// One second of the drive's stream in the pieces a USB adapter hands over about every
// millisecond.
QList<QByteArray> oneSecondOfArrivals()
{
    const QByteArray second = bench::transientPairs(5760);
    QList<QByteArray> arrivals;
    for (qsizetype at = 0; at < second.size(); at += 12)
        arrivals.append(second.mid(at, 12));
    return arrivals;
}

void liveSamples(bench::Run &run, bool shown, bool saver)
{
    WindowRig rig(shown);
    rig.startContinuous(saver);
    const QList<QByteArray> arrivals = oneSecondOfArrivals();
    run.measure([&] {
        // Each arrival is a turn of the event loop, which paints what the samples changed.
        for (const QByteArray &arrival : arrivals) {
            rig.device->feed(arrival);
            QCoreApplication::processEvents();
        }
    });
}

void captureOfATransient(bench::Run &run, bool shown)
{
    WindowRig rig(shown);
    rig.click("TStart");
    // The start-up buffer takes 4100 bytes; the 4101st raises the overflow.
    const QByteArray transient = bench::transientPairs(2051);
    run.measure([&] {
        rig.device->feed(transient);
        if (shown)
            QCoreApplication::processEvents(); // the chart's one repaint
        bench::keep(rig.window->Rajz()->image());
    });
    if (!rig.window->MSComm().PortOpen()
        || rig.window->session().captureBuffer()[1] != quint8(transient[0]))
        std::fprintf(stderr, "captureOfATransient: nothing was captured\n");
}

} // namespace

// Per run one second of the line: the median in microseconds / 10 000 is the percentage of one
// core that the receive path takes at the line rate.
VELMORA_BENCHMARK(liveSamplesOfOneSecondHidden)
{
    liveSamples(run, false, false);
}

VELMORA_BENCHMARK(liveSamplesOfOneSecondShown)
{
    liveSamples(run, true, false);
}

VELMORA_BENCHMARK(liveSamplesOfOneSecondShownSaver)
{
    liveSamples(run, true, true);
}

VELMORA_BENCHMARK(captureOfATransientHidden)
{
    captureOfATransient(run, false);
}

// Shown: with the one repaint of the chart that follows.
VELMORA_BENCHMARK(captureOfATransientShown)
{
    captureOfATransient(run, true);
}
