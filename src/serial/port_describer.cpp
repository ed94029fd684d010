// Port list descriptions from the ports the system lists; see the header.
#include "serial/port_describer.h"

#include "serial/port_map.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PortDescriber", text);
}

QString hexId(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

bool isPath(const QString &target)
{
    return PortMap::isDevicePath(target);
}

} // namespace

QList<AvailablePort> availablePorts()
{
    QList<AvailablePort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        AvailablePort port;
        port.systemLocation = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        ports.append(port);
    }
    return ports;
}

QString deviceNode(const QString &path)
{
    const QString node = QFileInfo(path).canonicalFilePath();
    return node.isEmpty() ? path : node;
}

PortDescriber::PortDescriber(QList<AvailablePort> available)
    : m_available(std::move(available))
{
    for (const AvailablePort &port : std::as_const(m_available))
        m_nodes.append(deviceNode(port.systemLocation));
}

const AvailablePort *PortDescriber::find(const QString &path) const
{
    const qsizetype at = m_nodes.indexOf(deviceNode(path));
    return at < 0 ? nullptr : &m_available.at(at);
}

QString PortDescriber::state(const QString &target) const
{
    if (!isPath(target))
        return tr("built in");
    const AvailablePort *port = find(target);
    if (!port)
        return QFileInfo::exists(target) ? tr("present, no adapter details") : tr("not present");
    QStringList parts;
    if (!port->description.isEmpty())
        parts << port->description;
    if (!port->manufacturer.isEmpty())
        parts << port->manufacturer;
    if (!port->serialNumber.isEmpty())
        parts << tr("serial %1").arg(port->serialNumber);
    if (port->hasIds)
        parts << hexId(port->vendorId) + QLatin1Char(':') + hexId(port->productId);
    return parts.isEmpty() ? tr("present, no adapter details") : parts.join(QStringLiteral(", "));
}

QString PortDescriber::deviceText(const QString &target) const
{
    if (!isPath(target) || !QFileInfo::exists(target))
        return target;
    const QString node = deviceNode(target);
    return node == target ? target : target + QStringLiteral(" -> ") + node;
}

QString PortDescriber::toolTip(const PortMap &map, int port) const
{
    const QString target = map.device(port);
    if (!isPath(target))
        return map.describe(port);
    return tr("Communications Port: %1").arg(deviceText(target)) + QLatin1Char('\n')
        + state(target);
}

QStringList PortDescriber::table(const PortMap &map) const
{
    struct Row
    {
        QString entry, device, state;
    };
    QList<Row> rows;
    qsizetype entryWidth = 0;
    qsizetype deviceWidth = 0;
    for (int port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port) {
        const QString target = map.device(port);
        if (target.isEmpty())
            continue;
        rows.append({ PortMap::entryText(port), deviceText(target), state(target) });
        entryWidth = std::max(entryWidth, rows.last().entry.size());
        deviceWidth = std::max(deviceWidth, rows.last().device.size());
    }
    QStringList lines;
    for (const Row &row : std::as_const(rows)) {
        lines << row.entry.leftJustified(entryWidth) + QStringLiteral("  ")
                + row.device.leftJustified(deviceWidth) + QStringLiteral("  ") + row.state;
    }
    return lines;
}
