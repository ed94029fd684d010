// Waits for a device that went away (an adapter pulled) to come back: the same path present
// again, or the adapter with the same USB serial number listed at another node.
//
// It costs nothing while it waits: the directories the device lives in are watched through the
// file system's change notices (inotify), and the device is looked for only after one of them
// changed. A directory that is gone (/dev/serial/by-id goes with the last adapter) is watched
// through its nearest existing parent until it is back. Where the system gives no notices at all
// (no inotify instance left) Qt's watcher looks at the directories itself about once a second; a
// directory it refuses to watch (the watch limit reached) is named on stderr, and the device is
// then found again only by a Start.
#pragma once

#include "serial/port_describer.h"

#include <QObject>
#include <QString>

#include <functional>

class QFileSystemWatcher;

// An opened device as the watch needs to find it again.
struct WatchedDevice
{
    QString path; // as the port map names it; may be a link
    QString node; // where the path led when the device was opened
    QString serialNumber; // the adapter's, when the system lists one for the node
};

class DeviceWatch : public QObject
{
    Q_OBJECT
public:
    using PortScan = std::function<QList<AvailablePort>()>;

    explicit DeviceWatch(QObject *parent = nullptr);
    ~DeviceWatch() override;

    // Where the ports the system lists come from; availablePorts() unless a test says otherwise.
    void setPortScan(PortScan scan);

    // What the device at path is, read while it is open.
    WatchedDevice identify(const QString &path) const;

    // Watches until stop(). The device is looked for after each change, not at the start: a node
    // still there then is the dying one, which a retry would only fail on again and again.
    void start(const WatchedDevice &device);
    void stop();
    bool isWatching() const { return m_watching; }
    QStringList directories() const;

Q_SIGNALS:
    // The device is back at node (its path, or another node with its serial number). Emitted
    // after every change that finds it, until stop().
    void deviceReturned(const QString &node);

private:
    void changed();
    void check();
    void watchDirectories();
    QString returnedNode() const;

    PortScan m_scan;
    QFileSystemWatcher *m_watcher = nullptr;
    WatchedDevice m_device;
    bool m_watching = false;
    bool m_checkPending = false;
};
