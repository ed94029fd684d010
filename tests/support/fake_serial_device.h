// A scripted serial device for tests, and the ports that hand such devices to a SerialControl.
#pragma once

#include "serial/serial_control.h"
#include "serial/serial_device.h"

#include <QList>
#include <QPointer>

#include <map>
#include <memory>

class FakeSerialDevice : public SerialDevice
{
    Q_OBJECT
public:
    using SerialDevice::SerialDevice;

    // The next open() fails with this number and text.
    void failOpenWith(int error, const QString &text = QStringLiteral("Device or resource busy"));
    // Appends bytes and emits readyRead, as a port does when they come in. Ignored when closed.
    void feed(const QByteArray &bytes);
    // The adapter is pulled: the device closes and emits failed.
    void pull();

    // Each RTS state set while open, in order.
    QList<bool> rtsHistory() const { return m_rts; }
    int discardCount() const { return m_discards; }
    QByteArray waiting() const { return m_waiting; }

    int open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void setRequestToSend(bool asserted) override;
    QByteArray readAll() override;
    void discardInput() override;
    QString errorString() const override { return m_errorText; }

private:
    QByteArray m_waiting;
    QList<bool> m_rts;
    QString m_errorText;
    int m_openError = SerialError::None;
    int m_discards = 0;
    bool m_open = false;
};

// Port numbers a test has declared, each handing a fresh FakeSerialDevice to every opening.
// Undeclared ports name no device. Must outlive the controls using factory().
class FakeSerialPorts
{
public:
    // The device the next opening of port gets; declares the port. Script it before opening.
    FakeSerialDevice *next(int port);
    // The device the latest opening of port got; null when none was handed out or it is deleted.
    FakeSerialDevice *current(int port) const;
    int openings(int port) const;

    SerialControl::DeviceFactory factory();

private:
    std::map<int, std::unique_ptr<FakeSerialDevice>> m_next;
    std::map<int, QPointer<FakeSerialDevice>> m_current;
    std::map<int, int> m_openings;
};
