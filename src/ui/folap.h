// The main window: the port list, the lamps, the mode frame, the deviation gauge and the chart.
// It owns the serial control for the whole run. Its handlers are named after the control and the
// event (Portok_Click, Csok_Click...) and are kept thin; each group lives in its own source file:
//   folap.cpp            start-up, About, calculator, shut-down, serial operations, CPU saver
//   folap_capture.cpp    the serial event, the mode options and the Start / Stop buttons
//   folap_transient.cpp  magnifier, pen colours, clearing, picture save and load
// Every group connects its controls in wireHandlers() (folap.cpp).
#pragma once

#include "serial/serial_control.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class Folap;
}

class ChartSurface;
class PortMap;
class PrintSurface;
class UserPrompts;
struct ModuleState;

class Folap : public QMainWindow
{
    Q_OBJECT
public:
    // Runs Form_Load before returning; the window is not shown yet.
    Folap(ModuleState &state, SerialControl::DeviceFactory factory, const PortMap &ports,
        UserPrompts &prompts, QWidget *parent = nullptr);
    ~Folap() override;

    // ---- Parts the program and the tests reach directly ----
    SerialControl &MSComm() { return *m_comm; }
    quint8 PortNumber() const { return m_PortNumber; }
    // The Start operations set it from the port list; tests set it directly.
    void setPortNumber(quint8 number) { m_PortNumber = number; }
    ChartSurface *Rajz() const;
    // The window's own surface, where failed Starts write their error numbers.
    PrintSurface *surface() const;
    // Live samples applied to the display since the window opened, for throughput checks.
    quint64 samplesShown() const { return m_samplesShown; }
    // Transients captured and drawn since the window opened.
    quint64 capturesDrawn() const { return m_capturesDrawn; }

    // ---- Serial operations ----
    enum class StartVariant { Continuous, Triggered };

    // Start-up configuration of the closed port: no parity replacement, text input, zero bytes
    // kept, then the receive profile of the selected mode.
    void InitSerialLink();
    // Callers close the port first; the profile takes effect at the next opening.
    void ApplyProfile(bool rtsEnable, qint16 inBufferSize, qint16 rThreshold, qint16 inputLen);
    // Closes, selects PortNumber and opens; returns the error number of the first failing step.
    int OpenPort();
    int ClosePort();
    // A failed Start: lamps, then the variant's message for 8002 / 8005 (clearing the port
    // selection afterwards) or the number written on the window for any other failure.
    void ReportStartFailure(StartVariant variant, int errorNumber);

public Q_SLOTS:
    // ---- Menu and port list (folap.cpp) ----
    void Nev_Click();
    void Ford_Click();
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
    // The serial control's event: a live sample in continuous mode, or a captured transient.
    void MSComm_OnComm();
    // The open device failed (adapter pulled): the link ends as after a Stop, the display stays.
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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load(const PortMap &ports);
    void Form_Unload();

    void applyDesign();
    void wireHandlers();

    // Capture modes (folap_capture.cpp). The Start steps return the first failure's number.
    int startContinuous();
    int startTriggered();
    int stopForTheOtherMode();
    void showLiveSample();
    void captureTransient();
    void DrawCaptureOverview();

    // Transient tools (folap_transient.cpp).
    void wireTransientTools();
    void Csuszka_ValueChanged();
    void ReportFileError(int errorNumber);

    std::unique_ptr<Ui::Folap> m_ui;
    ModuleState &m_state;
    UserPrompts &m_prompts;
    SerialControl *m_comm;
    quint8 m_PortNumber = 0;
    quint64 m_samplesShown = 0;
    quint64 m_capturesDrawn = 0;
};
