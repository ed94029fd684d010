// The seam between the serial control and whatever delivers the bytes: a real port through
// QSerialPort, the built-in simulated drive, or a scripted fake in tests.
//
// A device only publishes bytes and failures; it never shows anything to the user. The program
// never transmits, so there is no write.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Error numbers the serial layer reports. 8002 and 8005 are the two conditions the program has
// messages for; the others are written on the window by number.
namespace SerialError {
constexpr int None = 0;
constexpr int InvalidPort = 8002; // no usable port with this number (port 0, unmapped, missing)
constexpr int PortInUse = 8005; // the device is held by another program
constexpr int PermissionDenied = 8010; // the device exists but we may not open it
constexpr int DeviceIoError = 8012; // the device failed while opening or while open
constexpr int OtherError = 8015; // anything else the platform reports

// What the user can do about a failure, for the line on stderr; empty where there is no advice.
// On Debian and its kin serial devices belong to the dialout group.
inline QString remedy(int errorNumber)
{
    if (errorNumber == PermissionDenied)
        return QStringLiteral("add yourself to the dialout group (sudo adduser $USER dialout) "
                              "and log in again");
    return QString();
}
} // namespace SerialError

class SerialDevice : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialDevice() override = default;

    // Opens the device at 115200 8N1; returns SerialError::None or an error number, and leaves
    // the operating system's own words for the failure in errorString().
    virtual int open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Devices that cannot carry RTS (a pseudo-terminal) ignore this; it is not an error.
    virtual void setRequestToSend(bool asserted) = 0;

    // Everything that has arrived and not been read yet.
    virtual QByteArray readAll() = 0;
    // Drops what waits in the operating system's or driver's receive buffer.
    virtual void discardInput() = 0;

    virtual QString errorString() const = 0;

    // The device node or link this device opens, for finding it again after an unplug; empty
    // for a built-in device, which is always there.
    virtual QString location() const { return QString(); }
    // Opens node instead from the next open() on: where the adapter of this device turned up
    // again after an unplug. A built-in device has no location and stays where it is.
    virtual void moveTo(const QString &node) { Q_UNUSED(node); }

Q_SIGNALS:
    void readyRead();
    // The open device failed (an adapter pulled mid-stream). The device is closed when this is
    // emitted and stays closed.
    void failed(int errorNumber, const QString &osMessage);
};
