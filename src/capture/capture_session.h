// The capture logic without widgets: the two acquisition modes, the CPU saver, Auto Clear and the
// port number, the serial control's receive and overflow events, and the failure handling (with,
// when asked for, the wait for a failed device to return). The main window, the headless capture
// command and the tests all drive it through one method per user action, and show what it
// reports through its signals; none of them decides anything about a capture themselves.
#pragma once

#include "capture/capture_buffer.h"
#include "capture/reconnect_wait.h"
#include "capture/sample_decoder.h"
#include "capture/transient_samples.h"
#include "serial/serial_control.h"

#include <QObject>

#include <functional>

class CaptureSession : public QObject
{
    Q_OBJECT
public:
    // The selected mode; a failed Start is told by the mode whose Start it was, since their
    // messages differ and only the continuous one darkens LED2.
    enum class Mode { Continuous, Triggered };
    enum class Lamp { Run, OverSpin }; // the window's LED and LED2
    enum class LampState { Red, Green, Black };

    // What a port number names, for the captures' stamps.
    using DeviceNamer = std::function<QString(int port)>;

    explicit CaptureSession(SerialControl::DeviceFactory factory, QObject *parent = nullptr);
    ~CaptureSession() override;

    void setDeviceNamer(DeviceNamer namer) { m_deviceNamer = std::move(namer); }
    // What the device namer calls port; empty without a namer.
    QString deviceName(int port) const { return m_deviceNamer ? m_deviceNamer(port) : QString(); }

    SerialControl &serial() { return *m_serial; }
    const SerialControl &serial() const { return *m_serial; }

    Mode mode() const { return m_mode; }
    bool isTriggered() const { return m_mode == Mode::Triggered; }
    // 31 with the CPU saver on, 2 with it off; anything else only as read from the settings.
    quint8 MintaSetting() const { return m_MintaSetting; }
    bool cpuSaver() const { return m_cpuSaver; }
    bool autoClear() const { return m_autoClear; }
    // The port number of the latest Start: the port list's selected index + 1, 0 for none.
    quint8 PortNumber() const { return m_PortNumber; }
    void setPortNumber(quint8 number) { m_PortNumber = number; }

    const CaptureBuffer &captureBuffer() const { return m_CaptureBuffer; }
    CaptureBuffer &captureBuffer() { return m_CaptureBuffer; }
    // The magnitude last shown on the gauge.
    qint16 liveDeviation() const { return m_LiveDeviation; }
    // Live samples shown and transients captured since the session began.
    quint64 samplesShown() const { return m_samplesShown; }
    quint64 capturesDrawn() const { return m_capturesDrawn; }

    // ---- Start-up ----
    // The stored sample setting; the CPU saver is on unless it is 2 (see cpuSaverChanged).
    void setStoredMinta(quint8 minta) { m_MintaSetting = minta; }
    // The closed port's configuration: zero bytes kept, then the receive profile of the selected
    // mode.
    void initSerialLink();

    // ---- User actions, one each ----
    void portChosen();
    void selectContinuous();
    void selectTriggered();
    void cpuSaverChanged(bool on);
    void setAutoClear(bool on) { m_autoClear = on; }
    void startContinuous(quint8 portNumber);
    void stopContinuous();
    void startTriggered(quint8 portNumber);
    void stopTriggered();
    // The program is closing: ends a wait and closes the port.
    void closeLink();
    // The magnified view was redrawn: input that waited meanwhile is dropped.
    void discardWaitingInput();

    // ---- Reconnecting (off unless asked for) ----
    // Every user action above, turning it off and endWait() end a wait.
    void setReconnect(bool on) { m_reconnect->setEnabled(on); }
    bool reconnect() const { return m_reconnect->isEnabled(); }
    bool isWaitingForDevice() const { return m_reconnect->isWaiting(); }
    void endWait() { m_reconnect->stop(); }
    DeviceWatch &deviceWatch() { return m_reconnect->deviceWatch(); }

    // ---- Serial operations the Starts build on ----
    // Closes, selects PortNumber and opens; returns the error number of the first failing step.
    int OpenPort();
    int ClosePort();
    // Lamps, then startFailed for the window's message or number.
    void ReportStartFailure(Mode variant, int errorNumber);

Q_SIGNALS:
    void lampChanged(CaptureSession::Lamp lamp, CaptureSession::LampState state);
    // A live sample to show on the bars and the read-out, with where its read began in the
    // stream (so a listener can place it in time, gaps included).
    void liveSample(const LiveSample &sample);
    // Clear the chart (a continuous Start, or a capture or a triggered Start with Auto Clear).
    void clearChart();
    // The capture buffer was zeroed for a new recording; the magnifier goes back to its start.
    void captureReset();
    // A transient was captured into the buffer, stamped with the time, the port and its device.
    void transientCaptured(const TransientCapture &capture);
    // A Start failed after its lamps were set: 8002 and 8005 have messages, the rest a number.
    void startFailed(CaptureSession::Mode variant, int errorNumber, const QString &osText);
    // The open device failed (adapter pulled); the port is closed and the lamps are set.
    void deviceFailed(int errorNumber, const QString &osMessage);
    // Waiting for the failed device at path to return; an empty path when the wait is over.
    void waitingForDevice(const QString &path);
    // A Start opened the port (also the Start a reconnect runs again; linkBack follows it).
    void started(CaptureSession::Mode mode, int port);
    // A Stop, another mode, port or CPU saver setting, or closing the program ended a running
    // link.
    void stopped();
    // Continuous mode dropped one byte to get back onto the pairs.
    void resynced();
    // A reconnect wait ended with the mode's Start run again.
    void linkBack();

private:
    void setLamp(Lamp lamp, LampState state);
    // stopped() when the link ran before the action and no longer does.
    void reportStop(bool ran);
    void applyProfile(const ReceiveProfile &profile);
    int runContinuousStart();
    int runTriggeredStart();
    int stopForTheOtherMode();
    void onComm();
    void showLiveSample();
    void captureTransient();
    void onDeviceFailed(int errorNumber, const QString &osMessage);
    void onDeviceBack();

    SerialControl::DeviceFactory m_factory;
    DeviceNamer m_deviceNamer;
    SerialControl *m_serial;
    ReconnectWait *m_reconnect;
    CaptureBuffer m_CaptureBuffer {};
    Mode m_mode = Mode::Triggered;
    bool m_cpuSaver = false;
    bool m_autoClear = true;
    quint8 m_MintaSetting = 0;
    quint8 m_PortNumber = 0;
    qint16 m_LiveDeviation = 0;
    quint64 m_samplesShown = 0;
    quint64 m_capturesDrawn = 0;
};
