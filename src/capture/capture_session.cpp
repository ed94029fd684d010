// The capture modes, their receive and overflow handling and their failure handling.
#include "capture/capture_session.h"

#include <algorithm>

CaptureSession::CaptureSession(SerialControl::DeviceFactory factory, QObject *parent)
    : QObject(parent)
    , m_factory(std::move(factory))
    , m_reconnect(new ReconnectWait(this))
{
    // Every opening makes its device anew, so a replugged adapter is found again, where it came
    // back when that is elsewhere.
    m_serial = new SerialControl(
        [this](int port, int *error) {
            std::unique_ptr<SerialDevice> device = m_factory ? m_factory(port, error) : nullptr;
            if (device)
                m_reconnect->redirect(port, *device);
            return device;
        },
        this);
    m_serial->setObjectName(QStringLiteral("MSComm"));
    connect(m_serial, &SerialControl::OnComm, this, &CaptureSession::onComm);
    connect(m_serial, &SerialControl::deviceFailed, this, &CaptureSession::onDeviceFailed);
    connect(m_reconnect, &ReconnectWait::deviceBack, this, &CaptureSession::onDeviceBack);
    connect(m_reconnect, &ReconnectWait::waitingForDevice, this, &CaptureSession::waitingForDevice);
}

CaptureSession::~CaptureSession() = default;

void CaptureSession::setLamp(Lamp lamp, LampState state)
{
    Q_EMIT lampChanged(lamp, state);
}

void CaptureSession::reportStop(bool ran)
{
    if (ran && !m_serial->PortOpen())
        Q_EMIT stopped();
}

void CaptureSession::applyProfile(const ReceiveProfile &profile)
{
    m_serial->applyProfile(profile);
}

// ---- Start-up and serial operations ----

void CaptureSession::initSerialLink()
{
    m_serial->setNullDiscard(false);
    applyProfile(isTriggered() ? ReceiveProfile::triggeredAtStartUp()
                               : ReceiveProfile::continuous(m_MintaSetting));
}

int CaptureSession::OpenPort()
{
    if (const int error = ClosePort())
        return error;
    m_serial->setCommPort(m_PortNumber);
    const int error = m_serial->setPortOpen(true);
    if (error == SerialError::None)
        m_reconnect->noteOpened(m_serial->deviceLocation());
    return error;
}

int CaptureSession::ClosePort()
{
    return m_serial->PortOpen() ? m_serial->setPortOpen(false) : SerialError::None;
}

void CaptureSession::ReportStartFailure(Mode variant, int errorNumber)
{
    setLamp(Lamp::Run, LampState::Red);
    if (variant == Mode::Continuous)
        setLamp(Lamp::OverSpin, LampState::Black);
    Q_EMIT startFailed(variant, errorNumber, m_serial->lastErrorText());
}

void CaptureSession::discardWaitingInput()
{
    m_serial->setInBufferCount(0);
}

// ---- User actions ----

void CaptureSession::portChosen()
{
    endWait();
    m_reconnect->forgetMoves();
    const bool ran = m_serial->PortOpen();
    ClosePort();
    setLamp(Lamp::Run, LampState::Red);
    setLamp(Lamp::OverSpin, LampState::Black);
    reportStop(ran);
}

void CaptureSession::selectContinuous()
{
    endWait();
    m_mode = Mode::Continuous;
    const bool ran = m_serial->PortOpen();
    if (ran) {
        ClosePort();
        setLamp(Lamp::Run, LampState::Red);
    }
    applyProfile(ReceiveProfile::continuous(m_MintaSetting));
    reportStop(ran);
}

void CaptureSession::selectTriggered()
{
    endWait();
    m_mode = Mode::Triggered;
    const bool ran = m_serial->PortOpen();
    if (ran) {
        ClosePort();
        setLamp(Lamp::Run, LampState::Red);
        setLamp(Lamp::OverSpin, LampState::Black);
    }
    applyProfile(ReceiveProfile::triggeredOption());
    reportStop(ran);
}

void CaptureSession::cpuSaverChanged(bool on)
{
    endWait();
    m_cpuSaver = on;
    const bool ran = m_serial->PortOpen();
    if (ran) {
        ClosePort();
        setLamp(Lamp::Run, LampState::Red);
    }
    m_MintaSetting = on ? 31 : 2;
    if (isTriggered()) {
        applyProfile(ReceiveProfile::triggeredAfterSaverChange());
    } else {
        applyProfile(ReceiveProfile::continuous(m_MintaSetting));
        setLamp(Lamp::Run, LampState::Red);
        setLamp(Lamp::OverSpin, LampState::Black);
    }
    reportStop(ran);
}

void CaptureSession::startContinuous(quint8 portNumber)
{
    endWait();
    m_PortNumber = portNumber;
    if (const int error = runContinuousStart())
        ReportStartFailure(Mode::Continuous, error);
}

int CaptureSession::runContinuousStart()
{
    if (isTriggered())
        return stopForTheOtherMode();
    if (const int error = OpenPort())
        return error;
    setLamp(Lamp::Run, LampState::Green);
    if (!m_cpuSaver)
        setLamp(Lamp::OverSpin, LampState::Green);
    Q_EMIT clearChart();
    Q_EMIT started(Mode::Continuous, m_PortNumber);
    return SerialError::None;
}

void CaptureSession::stopContinuous()
{
    endWait();
    if (isTriggered())
        return;
    const bool ran = m_serial->PortOpen();
    m_serial->setRTSEnable(false);
    ClosePort();
    setLamp(Lamp::Run, LampState::Red);
    setLamp(Lamp::OverSpin, LampState::Black);
    reportStop(ran);
}

void CaptureSession::startTriggered(quint8 portNumber)
{
    endWait();
    m_PortNumber = portNumber;
    setLamp(Lamp::OverSpin, LampState::Black);
    if (const int error = runTriggeredStart())
        ReportStartFailure(Mode::Triggered, error);
}

int CaptureSession::runTriggeredStart()
{
    if (!isTriggered())
        return stopForTheOtherMode();
    if (const int error = OpenPort())
        return error;
    setLamp(Lamp::Run, LampState::Green);
    std::fill_n(m_CaptureBuffer.begin() + 1, kTransientCaptureBytes, quint8(0));
    discardWaitingInput();
    Q_EMIT captureReset();
    if (m_autoClear)
        Q_EMIT clearChart();
    Q_EMIT started(Mode::Triggered, m_PortNumber);
    return SerialError::None;
}

// A Start pressed while the other mode's option is selected stops the link.
int CaptureSession::stopForTheOtherMode()
{
    const bool ran = m_serial->PortOpen();
    if (const int error = ClosePort())
        return error;
    setLamp(Lamp::Run, LampState::Red);
    reportStop(ran);
    return SerialError::None;
}

void CaptureSession::stopTriggered()
{
    endWait();
    const bool ran = isTriggered() && m_serial->PortOpen();
    if (isTriggered()) {
        ClosePort();
        setLamp(Lamp::Run, LampState::Red);
    }
    setLamp(Lamp::OverSpin, LampState::Black);
    reportStop(ran);
}

void CaptureSession::closeLink()
{
    endWait();
    const bool ran = m_serial->PortOpen();
    ClosePort();
    reportStop(ran);
}

// ---- The serial control's events ----

void CaptureSession::onComm()
{
    switch (m_serial->CommEvent()) {
    case SerialEvent::Receive:
        showLiveSample();
        break;
    case SerialEvent::Overflow:
        captureTransient();
        break;
    default:
        break;
    }
}

void CaptureSession::showLiveSample()
{
    if (isTriggered())
        return;
    const StreamPosition at = m_serial->inputPosition();
    // A view into the receive buffer, read before the control is touched again.
    const QByteArrayView read = m_serial->takeInput();
    std::optional<LiveSample> sample = decodeSample(read);
    // With the saver off every read should be one pair. A read that holds the end of one pair
    // and the marker of the next means the stream was picked up mid-pair (or lost a byte):
    // dropping the next byte, that marker's value, puts the following reads back on pairs.
    if (!m_cpuSaver && read.size() == 2 && !isSampleMarker(quint8(read.at(0)))
        && isSampleMarker(quint8(read.at(1)))) {
        m_serial->skipInput(1);
        Q_EMIT resynced();
    }
    if (!sample)
        return;
    m_LiveDeviation = sample->magnitude;
    if (sample->overSpin())
        setLamp(Lamp::OverSpin, LampState::Red);
    ++m_samplesShown;
    sample->at = at;
    Q_EMIT liveSample(*sample);
}

void CaptureSession::captureTransient()
{
    for (int i = 1; i <= kTransientCaptureBytes; ++i) {
        const QByteArrayView one = m_serial->takeInput();
        m_CaptureBuffer[i] = one.isEmpty() ? 0 : quint8(one.at(0));
    }
    if (m_autoClear)
        Q_EMIT clearChart();
    ++m_capturesDrawn;
    const QByteArray bytes(
        reinterpret_cast<const char *>(m_CaptureBuffer.data() + 1), kTransientCaptureBytes);
    Q_EMIT transientCaptured(stampedCapture(bytes, m_PortNumber, deviceName(m_PortNumber)));
    // A listener that ended the run from its handler (a Stop, another mode or port) is not undone
    // by re-arming behind it.
    if (!m_serial->PortOpen())
        return;

    ClosePort();
    m_serial->setCommPort(m_PortNumber);
    setLamp(Lamp::Run, LampState::Red);
    // The port can be gone by now (adapter pulled, taken by another program). The capture stays
    // and the port closed; the user hears of it as from a triggered Start that failed.
    if (const int error = m_serial->setPortOpen(true))
        ReportStartFailure(Mode::Triggered, error);
}

void CaptureSession::onDeviceFailed(int errorNumber, const QString &osMessage)
{
    // The control has closed the port already; the display keeps the last it showed.
    ClosePort();
    setLamp(Lamp::Run, LampState::Red);
    setLamp(Lamp::OverSpin, LampState::Black);
    Q_EMIT deviceFailed(errorNumber, osMessage);
    m_reconnect->deviceFailed(m_PortNumber);
}

// ---- Reconnecting ----

void CaptureSession::onDeviceBack()
{
    const int error = isTriggered() ? runTriggeredStart() : runContinuousStart();
    if (error == SerialError::None) {
        endWait();
        Q_EMIT linkBack();
    } else if (m_reconnect->startFailedAfterReturn()) {
        ReportStartFailure(m_mode, error);
    }
}
