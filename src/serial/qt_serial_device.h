// A real serial port behind the device seam, through QSerialPort: 115200 8N1, no flow control,
// opened read-only (the program never transmits).
#pragma once

#include "serial/serial_device.h"

#include <QSerialPort>
#include <QStringList>

class QtSerialDevice : public SerialDevice
{
    Q_OBJECT
public:
    explicit QtSerialDevice(const QString &path, QObject *parent = nullptr);
    ~QtSerialDevice() override;

    QString path() const { return m_path; }

    int open() override;
    void close() override;
    bool isOpen() const override;
    void setRequestToSend(bool asserted) override;
    QByteArray readAll() override;
    void discardInput() override;
    QString errorString() const override;
    QString location() const override { return m_path; }
    void moveTo(const QString &node) override { m_path = node; }

    // QSerialPort reports a held lock, a busy device and a forbidden one alike as PermissionError.
    // Tells them apart: PortInUse when a live process holds the device's lock file in one of
    // lockDirs, or when we may read the device (so something else keeps us out); PermissionDenied
    // otherwise.
    static int permissionFailure(const QString &path, const QStringList &lockDirs);
    // The lock file name QSerialPort and other serial programs use: LCK..ttyUSB0 for
    // /dev/ttyUSB0, LCK..pts_3 for /dev/pts/3.
    static QString lockFileName(const QString &path);
    static QStringList defaultLockDirs();

private:
    void onError(QSerialPort::SerialPortError error);

    QString m_path;
    QSerialPort *m_port; // a child, so its signals can be watched in tests
    QString m_errorText;
    bool m_failing = false;
};
