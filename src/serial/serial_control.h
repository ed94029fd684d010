// The program's serial control: receive buffer, threshold and overflow events over a
// SerialDevice, with the properties and the OnComm event the window's handlers are written
// against. Property names follow the handlers' vocabulary (CommPort, PortOpen, RThreshold...).
//
// Every property keeps its value while the port is closed and reopened. Failures are returned
// as error numbers (see SerialError); the control never shows anything itself.
#pragma once

#include "serial/receive_buffer.h"
#include "serial/receive_profile.h"
#include "serial/serial_device.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class SerialControl : public QObject
{
    Q_OBJECT
public:
    // Makes the device behind a port number, or returns null with *error set (8002 for a number
    // that names no device). Called on every opening, so a replugged adapter is found again.
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>(int commPort, int *error)>;

    explicit SerialControl(DeviceFactory factory, QObject *parent = nullptr);
    ~SerialControl() override;

    int CommPort() const;
    void setCommPort(int port);

    bool PortOpen() const;
    // Opens or closes the port; returns SerialError::None or the error number of the failure.
    // Opening an open port changes nothing (close first to switch to another CommPort). A fresh
    // opening starts with an empty receive buffer.
    int setPortOpen(bool open);

    bool RTSEnable() const;
    void setRTSEnable(bool enable);
    int InBufferSize() const;
    void setInBufferSize(int size);
    int RThreshold() const;
    void setRThreshold(int threshold);
    int InputLen() const;
    void setInputLen(int length);
    int InBufferCount() const;
    // Only 0 is meaningful: it discards what waits, here and in the device.
    void setInBufferCount(int count);
    // RTS, buffer size, threshold and input length in one step; callers close the port first,
    // and the profile takes effect at the next opening.
    void applyProfile(const ReceiveProfile &profile);
    ReceiveProfile profile() const;

    bool NullDiscard() const;
    void setNullDiscard(bool discard);

    // Removes and returns at most InputLen waiting bytes (all when InputLen is 0); empty when
    // nothing waits. A view into the buffer, without a copy: valid until the control next
    // receives, skips, discards or closes.
    QByteArrayView takeInput();
    // Drops the next count bytes of the stream, waiting or still to come.
    void skipInput(int count);
    // Where the next byte takeInput() hands out lies in the stream (see StreamPosition); every
    // opening starts a new run. Bytes NullDiscard removes are not counted.
    StreamPosition inputPosition() const;
    SerialEvent CommEvent() const;

    // SerialDevice::location() of the open device; empty while closed.
    QString deviceLocation() const;

    // The operating system's words for the last failure, for a one-line diagnostic.
    QString lastErrorText() const;

Q_SIGNALS:
    void OnComm();
    // The open device failed (adapter pulled). The port is already closed when this arrives.
    void deviceFailed(int errorNumber, const QString &osMessage);

private:
    void deliver();
    void onDeviceFailed(int errorNumber, const QString &text);
    void closeDevice();

    struct Private;
    std::unique_ptr<Private> d;
};
