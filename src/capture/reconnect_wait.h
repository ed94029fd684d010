// Reconnecting automatically (off unless asked for): a device that failed while a mode ran is
// waited for, and once it is back (the same node or link, or the same adapter at another node)
// the session runs the mode's Start again. The wait costs nothing: it is woken by the system's
// notices about the device's folders (see DeviceWatch).
#pragma once

#include "serial/device_watch.h"

#include <QObject>

class SerialDevice;

class ReconnectWait : public QObject
{
    Q_OBJECT
public:
    explicit ReconnectWait(QObject *parent = nullptr);

    // Off also ends a wait.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    bool isWaiting() const { return m_waiting; }
    DeviceWatch &deviceWatch() { return *m_watch; }

    // A device was opened at location (empty for a built-in device). Read while it is there:
    // once pulled, the system no longer lists its adapter's serial number.
    void noteOpened(const QString &location);
    // The device opened on port failed: wait for it, when enabled.
    void deviceFailed(int port);
    // The Start run after deviceBack() failed: a built-in device, which cannot come back any
    // better, ends the wait (returns true, and the failure is the user's to hear of); a device
    // node is tried again at its folder's next change (returns false).
    bool startFailedAfterReturn();
    // Ends the wait.
    void stop();
    // Another port was chosen: openings go where the port map says again.
    void forgetMoves();
    // A device made for port opens where its adapter came back, when that is elsewhere.
    void redirect(int port, SerialDevice &device) const;

Q_SIGNALS:
    // The device is back: run the Start again, then call stop() or startFailedAfterReturn().
    void deviceBack();
    // Waiting for the device at path; an empty path when the wait is over.
    void waitingForDevice(const QString &path);

private:
    void returned(const QString &node);

    DeviceWatch *m_watch;
    WatchedDevice m_opened; // the latest opening's device, while enabled
    int m_failedPort = 0;
    // The node the adapter of m_movedPort came back at, when not the mapped one.
    QString m_movedNode;
    int m_movedPort = 0;
    bool m_enabled = false;
    bool m_waiting = false;
};
