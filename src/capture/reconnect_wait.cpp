// Waiting for a failed device to come back.
#include "capture/reconnect_wait.h"

#include "serial/serial_device.h"

ReconnectWait::ReconnectWait(QObject *parent)
    : QObject(parent)
    , m_watch(new DeviceWatch(this))
{
    connect(m_watch, &DeviceWatch::deviceReturned, this, &ReconnectWait::returned);
}

void ReconnectWait::setEnabled(bool on)
{
    m_enabled = on;
    if (!on)
        stop();
}

void ReconnectWait::noteOpened(const QString &location)
{
    if (m_enabled)
        m_opened = location.isEmpty() ? WatchedDevice() : m_watch->identify(location);
}

// The lamps stay as the failure left them until the Start runs again; the waitingForDevice
// signal says what is awaited.
void ReconnectWait::deviceFailed(int port)
{
    if (!m_enabled)
        return;
    m_waiting = true;
    m_failedPort = port;
    if (m_opened.path.isEmpty()) {
        // A built-in device is always there: its Start runs again once the failure is behind us.
        QMetaObject::invokeMethod(
            this, [this] { returned(QString()); }, Qt::QueuedConnection);
        return;
    }
    m_watch->start(m_opened);
    Q_EMIT waitingForDevice(m_opened.path);
}

void ReconnectWait::returned(const QString &node)
{
    if (!m_waiting)
        return;
    if (!node.isEmpty() && node != m_opened.path) {
        m_movedPort = m_failedPort;
        m_movedNode = node;
    }
    Q_EMIT deviceBack();
}

bool ReconnectWait::startFailedAfterReturn()
{
    // Otherwise the node is back but refuses (udev has not given it its group yet, a modem
    // prober holds it): the next change in its folder tries again.
    if (!m_opened.path.isEmpty())
        return false;
    stop();
    return true;
}

void ReconnectWait::stop()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_watch->stop();
    Q_EMIT waitingForDevice(QString());
}

void ReconnectWait::forgetMoves()
{
    m_movedNode.clear();
}

void ReconnectWait::redirect(int port, SerialDevice &device) const
{
    if (!m_movedNode.isEmpty() && port == m_movedPort)
        device.moveTo(m_movedNode);
}
