// One run of velmora-capture: a capture session on one port with no window, and what it
// captured written to the output folder. It only reports through signals (lines for stdout,
// problems for stderr, the exit status at the end), so main() only prints them.
#pragma once

#include "app/capture_options.h"
#include "files/live_stream_log.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <memory>

class CaptureSession;
class EventLog;
class PortMap;
class SessionEventRecorder;
class TransientRecorder;
struct TransientCapture;

class CaptureRun : public QObject
{
    Q_OBJECT
public:
    enum ExitStatus {
        Captured = 0,
        TimedOut = 1, // also stopped by a signal: the run ended before all was captured
        PortFailed = 2,
        BadCommandLine = 3,
        WriteFailed = 4,
    };

    // The map must name the options' port already, and outlive the run.
    CaptureRun(const CaptureOptions &options, const PortMap &ports, QObject *parent = nullptr);
    ~CaptureRun() override;

    // Checks the output folder and opens the port; the run then goes on in the event loop.
    void start();
    // Ctrl+C or SIGTERM: ends the run as a timeout does.
    void interrupt();

Q_SIGNALS:
    // A line for stdout, without its line end.
    void output(const QByteArray &line);
    // A line for stderr, without the program's name: what went wrong, or that the port is
    // open and the run is waiting.
    void diagnostic(const QString &text);
    // Emitted once, after the port is closed and everything is written.
    void finished(int exitStatus);

private:
    QString portText() const;
    void onTransient(const TransientCapture &capture);
    void onRecorded(const TransientCapture &capture, const QString &fileName);
    void onStartFailed(int errorNumber, const QString &osText);
    void onDeviceFailed(int errorNumber, const QString &osText);
    void onTimeout();
    void flushLog();
    void startTransients();
    void startContinuous();
    // Ends the run with this status once the current event is over; the first call counts.
    void finish(int exitStatus);
    void stopAndReport(int exitStatus);

    CaptureOptions m_options;
    const PortMap &m_ports;
    std::unique_ptr<CaptureSession> m_session;
    // Destroyed before the session they listen to.
    std::unique_ptr<EventLog> m_events;
    std::unique_ptr<SessionEventRecorder> m_eventRecorder;
    TransientRecorder *m_recorder = nullptr;
    LiveStreamLog m_log;
    QString m_logName;
    QDateTime m_openedAt;
    QTimer m_timeout; // transients: the wait for the next one; live stream: its length
    QTimer m_flush; // live stream: writes what came in every second
    int m_captured = 0;
    bool m_writeFailed = false;
    bool m_eventsFailed = false; // events.csv: said at once, in the exit status at the end
    bool m_finishing = false;
};
