// The live chart: the continuous stream on a plot, the newest sample at the right edge, with the
// history the window keeps (see LiveHistory), a pause that freezes the view while recording goes
// on, a scroll bar and drags that move back through the history, the statistics of the part in
// view, cursors A and B with the analysis window's read-out, and the part in view (or between
// the cursors) as a live-stream CSV file, and the session's event log below the chart. A thin
// view over LiveHistory and LiveView: it listens to the session and repaints on the main window's
// frame clock.
#pragma once

#include "analysis/live_history.h"
#include "analysis/live_view.h"
#include "analysis/transient_figures.h"
#include "ui/paint_throttle.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class LiveChart;
}

class CaptureSession;
class EventLog;
class FrameClock;
class QLabel;
class UserPrompts;

class LiveChart : public QWidget
{
    Q_OBJECT
public:
    // A window of its own over parent. It records from now on, whether shown or not, and repaints
    // on frames (null: a clock of its own). spanMs is one of StoredSettings::kLiveSpansMs; events
    // is the log its table shows, which outlives the window.
    LiveChart(CaptureSession &session, const EventLog &events, UserPrompts &prompts, int spanMs,
        int historyMinutes, FrameClock *frames, QWidget *parent = nullptr);
    ~LiveChart() override;

    const LiveHistory &history() const { return m_history; }
    const LiveView &view() const { return m_view; }
    int spanMs() const;

public Q_SLOTS:
    // Pause, or back to live.
    void togglePause();
    void exportCsv();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void wireHandlers();
    void showEventLog(const EventLog &events);
    void onSample(const LiveSample &sample);
    void queueRefresh();
    // Frame: the stream moved on, and the chart follows it on every third frame at most, the
    // figures on those frames at most five times a second, which is as fast as anyone reads them.
    // Now: the user changed what is shown.
    enum class Refresh { Frame, Now };
    void refresh(Refresh kind = Refresh::Frame);
    void showView(Refresh kind);
    void showScroll();
    void updateStatistics();
    void updateCursors();
    void updateStatus();
    void setCursorsShown(bool shown);
    void viewMovedByUser(double minMs, double maxMs);
    QString askSavePath(const QString &proposed);

    std::unique_ptr<Ui::LiveChart> m_ui;
    CaptureSession &m_session;
    UserPrompts &m_prompts;
    QElapsedTimer m_clock;
    LiveHistory m_history;
    LiveView m_view;
    PaintThrottle m_throttle;
    QTimer m_settle;
    bool m_refreshQueued = false;
    qint64 m_plotShownNs = 0;
    qint64 m_scrollShownNs = 0;
    qint64 m_figuresShownNs = 0;
    double m_cursorA = 0;
    double m_cursorB = 0;
    std::optional<CursorStatistics> m_cursorStatistics;
};
