// Which device each port number of the port list names, and the factory that makes it.
//
// Linux default: Comm 1-16 are /dev/ttyUSB0-15, Comm 17-32 /dev/ttyACM0-15, Comm 33-64
// /dev/ttyS0-31, the rest name nothing (on Windows Comm n is COMn). The settings file's [Ports]
// section (Comm5=/dev/ttyUSB3) and --port 5=/dev/ttyUSB3 options override single entries. A port
// may also name a built-in device instead of a path, such as "sim" for the simulated drive, made
// by a maker registered under that name.
#pragma once

#include "serial/serial_control.h"
#include "serial/serial_device.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;

class PortMap
{
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 255;

    using DeviceMaker = std::function<std::unique_ptr<SerialDevice>()>;

    // A device path or a built-in device's name; empty when the port names no device.
    QString device(int port) const;
    // What a port list entry names, without looking at the device (PortDescriber does).
    QString describe(int port) const;
    // The port list entry's text: "Comm  1".
    static QString entryText(int port);
    // A device path rather than the name of a built-in device.
    static bool isDevicePath(const QString &target);

    // An empty target makes the port name no device.
    void setDevice(int port, const QString &target);
    // Applies the [Ports] section; returns a line for each entry it could not use.
    QStringList loadOverrides(QSettings &settings);
    // Applies one "N=DEVICE" option; returns what is wrong with it, or an empty text.
    QString applyPortOption(const QString &option);

    void registerSpecialDevice(const QString &name, DeviceMaker maker);

    // Null with *error = SerialError::InvalidPort for a port that names no usable device.
    std::unique_ptr<SerialDevice> makeDevice(int port, int *error) const;
    // For SerialControl; the map must outlive the control.
    SerialControl::DeviceFactory factory() const;

private:
    static QString defaultDevice(int port);

    QHash<int, QString> m_overrides;
    QHash<QString, DeviceMaker> m_special;
};
