// Waiting for a pulled device through directory change notices; see the header.
#include "serial/device_watch.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>

namespace {

// The directory path lives in, or its nearest parent that exists.
QString existingDirectoryOf(const QString &path)
{
    QString dir = QFileInfo(path).absolutePath();
    while (!QFileInfo(dir).isDir() && !QDir(dir).isRoot())
        dir = QFileInfo(dir).absolutePath();
    return dir;
}

} // namespace

DeviceWatch::DeviceWatch(QObject *parent)
    : QObject(parent)
    , m_scan(&availablePorts)
{
}

DeviceWatch::~DeviceWatch() = default;

void DeviceWatch::setPortScan(PortScan scan)
{
    m_scan = std::move(scan);
}

WatchedDevice DeviceWatch::identify(const QString &path) const
{
    WatchedDevice device { path, deviceNode(path), QString() };
    if (const AvailablePort *port = PortDescriber(m_scan()).find(path))
        device.serialNumber = port->serialNumber;
    return device;
}

void DeviceWatch::start(const WatchedDevice &device)
{
    stop();
    m_device = device;
    m_watching = true;
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DeviceWatch::changed);
    }
    watchDirectories();
}

void DeviceWatch::stop()
{
    m_watching = false;
    if (m_watcher && !m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
}

QStringList DeviceWatch::directories() const
{
    return m_watcher ? m_watcher->directories() : QStringList();
}

void DeviceWatch::changed()
{
    // A burst of notices (udev making a node, setting its group, adding links) is one look, made
    // once the watcher's own signal is behind us.
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(this, &DeviceWatch::check, Qt::QueuedConnection);
}

void DeviceWatch::check()
{
    m_checkPending = false;
    if (!m_watching)
        return;
    watchDirectories();
    const QString node = returnedNode();
    if (!node.isEmpty())
        Q_EMIT deviceReturned(node);
}

void DeviceWatch::watchDirectories()
{
    // The path's own directory sees a link come back or be pointed elsewhere; the node's sees
    // the adapter's node (or another node of the same adapter) come back behind a link that
    // stayed.
    QSet<QString> wanted { existingDirectoryOf(m_device.path) };
    if (!m_device.node.isEmpty())
        wanted.insert(existingDirectoryOf(m_device.node));
    const QStringList watched = m_watcher->directories();
    for (const QString &dir : watched) {
        if (!wanted.remove(dir))
            m_watcher->removePath(dir);
    }
    if (wanted.isEmpty())
        return;
    const QStringList refused = m_watcher->addPaths(wanted.values());
    for (const QString &dir : refused)
        qWarning("cannot watch %s for the device's return; press Start once it is back",
            qPrintable(dir));
}

QString DeviceWatch::returnedNode() const
{
    if (QFileInfo::exists(m_device.path))
        return m_device.path;
    if (m_device.serialNumber.isEmpty())
        return QString();
    const QList<AvailablePort> listed = m_scan();
    for (const AvailablePort &port : listed) {
        if (port.serialNumber == m_device.serialNumber && QFileInfo::exists(port.systemLocation))
            return port.systemLocation;
    }
    return QString();
}
