#include "fake_serial_device.h"

#include <utility>

// A device deleted from inside its own signal crashes real ports at random; make it loud here.
template <typename Emit> static void emitSurviving(FakeSerialDevice *device, Emit emitSignal)
{
    QPointer<FakeSerialDevice> alive(device);
    emitSignal();
    if (!alive)
        qFatal("FakeSerialDevice was deleted inside its own signal");
}

void FakeSerialDevice::failOpenWith(int error, const QString &text)
{
    m_openError = error;
    m_errorText = text;
}

void FakeSerialDevice::feed(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_waiting += bytes;
    emitSurviving(this, [this] { Q_EMIT readyRead(); });
}

void FakeSerialDevice::pull()
{
    m_open = false;
    m_waiting.clear();
    m_errorText = QStringLiteral("Input/output error");
    emitSurviving(this, [this] { Q_EMIT failed(SerialError::DeviceIoError, m_errorText); });
}

int FakeSerialDevice::open()
{
    if (m_openError != SerialError::None)
        return m_openError;
    m_open = true;
    return SerialError::None;
}

void FakeSerialDevice::setRequestToSend(bool asserted)
{
    if (m_open)
        m_rts << asserted;
}

QByteArray FakeSerialDevice::readAll()
{
    return std::exchange(m_waiting, QByteArray());
}

void FakeSerialDevice::discardInput()
{
    ++m_discards;
    m_waiting.clear();
}

FakeSerialDevice *FakeSerialPorts::next(int port)
{
    std::unique_ptr<FakeSerialDevice> &device = m_next[port];
    if (!device)
        device = std::make_unique<FakeSerialDevice>();
    return device.get();
}

FakeSerialDevice *FakeSerialPorts::current(int port) const
{
    const auto it = m_current.find(port);
    return it != m_current.end() ? it->second.data() : nullptr;
}

int FakeSerialPorts::openings(int port) const
{
    const auto it = m_openings.find(port);
    return it != m_openings.end() ? it->second : 0;
}

SerialControl::DeviceFactory FakeSerialPorts::factory()
{
    return [this](int port, int *error) -> std::unique_ptr<SerialDevice> {
        if (m_next.find(port) == m_next.end()) {
            *error = SerialError::InvalidPort;
            return nullptr;
        }
        next(port);
        std::unique_ptr<FakeSerialDevice> device = std::move(m_next[port]);
        m_current[port] = device.get();
        ++m_openings[port];
        *error = SerialError::None;
        return device;
    };
}
