// Fills an event log from what a capture session reports: starts, stops, failures, the link
// coming back, over-spin runs, resyncs and captures. Over-spin runs and bursts of resyncs take
// one row each however long they last, so a flood of garbage cannot push everything else out.
#pragma once

#include "analysis/event_log.h"
#include "capture/capture_session.h"

#include <QTimer>

#include <functional>
#include <optional>

class SessionEventRecorder : public QObject
{
    Q_OBJECT
public:
    // Resyncs less than this apart count into one row, which is finished this long after the
    // last of them.
    static constexpr int kResyncBurstMs = 1000;

    using Clock = std::function<QDateTime()>;

    SessionEventRecorder(const CaptureSession &session, EventLog &log, QObject *parent = nullptr);

    // Where the rows' times come from: stampNow() unless a test sets another.
    void setClock(Clock clock) { m_clock = std::move(clock); }

private:
    void add(const QString &event, const QString &detail);
    void onStarted(CaptureSession::Mode mode, int port);
    void onStopped();
    // The failure's row; returns its time.
    QDateTime addFailure(const QString &event, int errorNumber, const QString &osText);
    void onLinkBack();
    void onResynced();
    void onLiveSample(const LiveSample &sample);
    void onCapture(const TransientCapture &capture);
    void endOverSpinRun();
    void endResyncBurst();

    const CaptureSession &m_session;
    EventLog &m_log;
    Clock m_clock;
    QTimer m_burstQuiet;
    std::optional<EventLog::RowId> m_overSpinRow;
    qint64 m_overSpinSamples = 0;
    int m_bytesPerRead = 2; // more with the CPU saver, which shows one sample per read
    std::optional<EventLog::RowId> m_resyncRow;
    int m_resyncBytes = 0;
    QDateTime m_lastResync;
    QDateTime m_linkLostAt;
};
