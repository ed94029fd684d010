// Port numbers to devices; see the header.
#include "serial/port_map.h"

#include "core/number_text.h"
#include "serial/qt_serial_device.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>

namespace {

struct DeviceRange
{
    int firstPort;
    int count;
    const char *prefix;
};

constexpr DeviceRange kLinuxRanges[] = {
    { 1, 16, "/dev/ttyUSB" },
    { 17, 16, "/dev/ttyACM" },
    { 33, 32, "/dev/ttyS" },
};

QString tr(const char *text)
{
    return QCoreApplication::translate("PortMap", text);
}

} // namespace

QString PortMap::defaultDevice(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    for (const DeviceRange &range : kLinuxRanges) {
        if (port >= range.firstPort && port < range.firstPort + range.count)
            return QLatin1String(range.prefix) + QString::number(port - range.firstPort);
    }
    return {};
#endif
}

bool PortMap::isDevicePath(const QString &target)
{
#ifdef Q_OS_WIN
    return target.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)
        || target.startsWith(QLatin1String("\\\\.\\"));
#else
    return target.startsWith(QLatin1Char('/'));
#endif
}

QString PortMap::device(int port) const
{
    if (port < kFirstPort || port > kLastPort)
        return {};
    const auto it = m_overrides.constFind(port);
    return it != m_overrides.constEnd() ? *it : defaultDevice(port);
}

QString PortMap::describe(int port) const
{
    const QString target = device(port);
    if (target.isEmpty())
        return tr("Communications Port: no device");
    if (!isDevicePath(target))
        return tr("Communications Port: %1 (built in)").arg(target);
    return tr("Communications Port: %1").arg(target);
}

QString PortMap::entryText(int port)
{
    return QStringLiteral("Comm ") + NumberText(port);
}

void PortMap::setDevice(int port, const QString &target)
{
    if (port >= kFirstPort && port <= kLastPort)
        m_overrides.insert(port, target);
}

QStringList PortMap::loadOverrides(QSettings &settings)
{
    static const QRegularExpression key(
        QStringLiteral("^Comm(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    QStringList problems;
    settings.beginGroup(QStringLiteral("Ports"));
    const QStringList keys = settings.childKeys();
    for (const QString &name : keys) {
        const QRegularExpressionMatch match = key.match(name);
        const int port = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (port < kFirstPort || port > kLastPort) {
            problems << tr("[Ports] %1: expected Comm1 to Comm255").arg(name);
            continue;
        }
        // An unquoted comma makes QSettings read a list; a device name is one text.
        setDevice(port, settings.value(name).toStringList().join(QLatin1Char(',')).trimmed());
    }
    settings.endGroup();
    return problems;
}

QString PortMap::applyPortOption(const QString &option)
{
    const qsizetype eq = option.indexOf(QLatin1Char('='));
    if (eq < 0)
        return tr("--port %1: expected N=DEVICE, such as 5=/dev/ttyUSB3").arg(option);
    bool ok = false;
    const int port = option.left(eq).trimmed().toInt(&ok);
    if (!ok || port < kFirstPort || port > kLastPort)
        return tr("--port %1: the port number must be 1 to 255").arg(option);
    const QString target = option.mid(eq + 1).trimmed();
    if (target.isEmpty())
        return tr("--port %1: the device is missing").arg(option);
    setDevice(port, target);
    return {};
}

void PortMap::registerSpecialDevice(const QString &name, DeviceMaker maker)
{
    m_special.insert(name, std::move(maker));
}

std::unique_ptr<SerialDevice> PortMap::makeDevice(int port, int *error) const
{
    const QString target = device(port);
    std::unique_ptr<SerialDevice> made;
    if (isDevicePath(target)) {
        made = std::make_unique<QtSerialDevice>(target);
    } else if (!target.isEmpty()) {
        const auto it = m_special.constFind(target);
        if (it != m_special.constEnd() && *it)
            made = (*it)();
    }
    if (error)
        *error = made ? SerialError::None : SerialError::InvalidPort;
    return made;
}

SerialControl::DeviceFactory PortMap::factory() const
{
    return [this](int port, int *error) { return makeDevice(port, error); };
}
