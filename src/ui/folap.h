// The main window: the port list, the lamps, the mode frame, the deviation gauge and the chart.
// The capture logic lives in its CaptureSession; the window forwards each control's event to it
// and applies what it reports. Handlers are named after the control and the event
// (Portok_Click, Csok_Click...); each group lives in its own source file:
//   folap.cpp            start-up, About, calculator, analysis window, live chart, shut-down,
//                        port list, CPU saver
//   folap_capture.cpp    the mode options, the Start / Stop buttons and what the session reports
//   folap_transient.cpp  magnifier, pen colours, clearing, picture save and load
// Every group connects its controls in wireHandlers() (folap.cpp).
#pragma once

#include "capture/capture_session.h"
#include "core/stored_settings.h"
#include "serial/serial_control.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class Folap;
}

class ChartSurface;
class EventLog;
class HistoryTableModel;
class LiveChart;
class PortMap;
class PrintSurface;
class TransientAnalysis;
class UserPrompts;
struct ModuleState;

// The values kept between runs, as main() read them and as the window leaves them.
struct FolapSettings
{
    int portIndex = 0; // the port list's selection, -1 for none
    int minta = 31; // the sample setting: 2 leaves the CPU saver off
    bool reconnect = false; // Tools > Reconnect automatically
    int liveSpanMs = StoredSettings::kDefaultLiveSpanMs; // the live chart's span
    int liveHistoryMinutes = StoredSettings::kDefaultLiveHistoryMinutes; // only read
};

class Folap : public QMainWindow
{
    Q_OBJECT
public:
    // Runs Form_Load with the stored values before returning; the window is not shown yet.
    Folap(ModuleState &state, SerialControl::DeviceFactory factory, const PortMap &ports,
        UserPrompts &prompts, const FolapSettings &stored, QWidget *parent = nullptr);
    ~Folap() override;

    // ---- Parts the program and the tests reach directly ----
    CaptureSession &session() { return *m_session; }
    SerialControl &MSComm() { return m_session->serial(); }
    quint8 PortNumber() const { return m_session->PortNumber(); }
    // The Start operations set it from the port list; tests set it directly.
    void setPortNumber(quint8 number) { m_session->setPortNumber(number); }
    ChartSurface *Rajz() const;
    // The window's own surface, where failed Starts write their error numbers.
    PrintSurface *surface() const;
    // Live samples applied to the display since the window opened, for throughput checks.
    quint64 samplesShown() const { return m_session->samplesShown(); }
    // Transients captured and drawn since the window opened.
    quint64 capturesDrawn() const { return m_session->capturesDrawn(); }
    // This run's captures, kept from start-up whether or not the analysis window is open.
    HistoryTableModel &transientHistory() const { return *m_history; }
    // What happened on the link this run, kept from start-up for whichever window shows it.
    EventLog &eventLog() const { return *m_events; }
    // The analysis window, made at its first opening; null until then.
    TransientAnalysis *transientAnalysis() const { return m_analysis; }
    // The live chart, made at its first opening, which starts its recording; null until then.
    LiveChart *liveChart() const { return m_liveChart; }

    // ---- Serial operations (the session's) ----
    using Mode = CaptureSession::Mode;
    int OpenPort() { return m_session->OpenPort(); }
    int ClosePort() { return m_session->ClosePort(); }
    void ReportStartFailure(Mode variant, int errorNumber)
    {
        m_session->ReportStartFailure(variant, errorNumber);
    }

    // As the user would: select the mode's option (its handler runs), then press its Start.
    void startMode(Mode mode);

public Q_SLOTS:
    // ---- Menu and port list (folap.cpp) ----
    void Nev_Click();
    void Ford_Click();
    // Opens the analysis window, or raises it when it is open already.
    void Analysis_Click();
    // Opens the live chart, or raises it when it is open already.
    void LiveChart_Click();
    void Portok_Click();

    // ---- Capture modes (folap.cpp / folap_capture.cpp) ----
    void Csok_Click();
    // The option handlers run when their option becomes selected; clicking the selected option
    // again changes nothing and runs nothing.
    void Foly_Click();
    void Triger_Click();
    void FStart_Click();
    void FStop_Click();
    void TStart_Click();
    void TMegse_Click();
    // The open device failed (adapter pulled): the link ended as after a Stop, the display
    // stays; one line on stderr says why.
    void MSComm_DeviceFailed(int errorNumber, const QString &osMessage);

    // ---- Transient tools (folap_transient.cpp) ----
    // Clears the chart and draws 600 bytes of the capture from Csuszka's value on, one byte per
    // column, then discards the serial input waiting.
    void Csuszka_Change();
    void Csuszka_Scroll();
    // Index 0..3: black, red, cyan, magenta for the lines drawn from now on; others are ignored.
    void Szin_Click(int Index);
    void Torlesgomb_Click();
    void Mentes_Click();
    void Betolt_Click();

Q_SIGNALS:
    // A captured transient has just been drawn (for screenshots and long unattended runs).
    void transientDrawn();
    // The window is closing: the values to keep for the next run.
    void settingsToStore(const FolapSettings &settings);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load(const FolapSettings &stored);
    void Form_Unload();

    void applyDesign();
    void wireHandlers();
    // Each entry's tooltip says what its device is now; run as the list opens.
    void refreshPortTips();

    // What the session reports (folap_capture.cpp).
    void wireSession();
    void showLamp(CaptureSession::Lamp lamp, CaptureSession::LampState state);
    void showLiveSample(const LiveSample &sample);
    void DrawCaptureOverview();
    void showStartFailure(Mode variant, int errorNumber, const QString &osText);

    // Transient tools (folap_transient.cpp).
    void wireTransientTools();
    void Csuszka_ValueChanged();
    void ReportFileError(int errorNumber);

    std::unique_ptr<Ui::Folap> m_ui;
    ModuleState &m_state;
    UserPrompts &m_prompts;
    const PortMap &m_ports;
    CaptureSession *m_session;
    HistoryTableModel *m_history;
    EventLog *m_events;
    TransientAnalysis *m_analysis = nullptr;
    LiveChart *m_liveChart = nullptr;
    int m_liveSpanMs = StoredSettings::kDefaultLiveSpanMs;
    int m_liveHistoryMinutes = StoredSettings::kDefaultLiveHistoryMinutes;
};
