// What the devices of the port list are right now: for each port that names a device, whether it
// is there and, for a USB adapter, what the system says of it (description, manufacturer, serial
// number, vendor:product). The port list's tooltips and --list-ports show the same texts.
//
// The ports the system lists come in as plain values, so a test can describe a machine of its
// own. A mapped path may be a link (/dev/velmora-drive -> /dev/ttyUSB0); it matches a listed port
// by the node it leads to.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class PortMap;

// One serial port the system lists, as QSerialPortInfo gives it.
struct AvailablePort
{
    QString systemLocation; // the device node, /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    bool hasIds = false; // vendor and product ids are known (USB adapters)
    quint16 vendorId = 0;
    quint16 productId = 0;
};

// The serial ports QSerialPortInfo lists now.
QList<AvailablePort> availablePorts();

// The node a path leads to, links followed; the path itself when nothing is there.
QString deviceNode(const QString &path);

class PortDescriber
{
public:
    explicit PortDescriber(QList<AvailablePort> available);

    // The listed port a device path leads to; null when it leads to none of them.
    const AvailablePort *find(const QString &path) const;

    // What a port's target is now: "FT232R USB UART, FTDI, serial A10K3X, 0403:6001" for a
    // listed adapter, "present, no adapter details" for a node the system does not list (a
    // pseudo-terminal), "not present", or "built in" for a named device such as "sim".
    QString state(const QString &target) const;
    // The target, and " -> NODE" when it is a link to a present node.
    QString deviceText(const QString &target) const;

    // The port list entry's tooltip: PortMap::describe(port), then what is there now.
    QString toolTip(const PortMap &map, int port) const;
    // One line per port that names a device, in three aligned columns: the entry's text, the
    // device text and the state.
    QStringList table(const PortMap &map) const;

private:
    QList<AvailablePort> m_available;
    QStringList m_nodes; // deviceNode() of each listed port
};
