// What the live chart shows of its history: the newest span, following the stream, or a view
// the user paused on and moved through the history. Times are ms from the history's sample 0.
#pragma once

#include <QtGlobal>

#include <utility>

class LiveView
{
public:
    struct Range
    {
        double min = 0;
        double max = 0;
        double span() const { return max - min; }
    };

    explicit LiveView(double spanMs);

    double spanMs() const { return m_spanMs; }
    // A paused view keeps its right edge.
    void setSpanMs(double spanMs);
    bool isLive() const { return m_live; }
    void pause() { m_live = false; }
    void goLive();
    // The user put the view here (a drag, the wheel, the scroll bar), which pauses the chart.
    void moveTo(Range view);
    // The history now keeps [begin, end). A live view ends on the newest sample; a paused one
    // stays where it is, unless the history has dropped what it began with: then it begins on
    // the oldest sample kept.
    void update(qint64 begin, qint64 end);

    Range view() const { return m_view; }
    // As far as the view can go: the history kept, and never less than a span.
    Range full() const;
    // The samples in view, [first, one past the last], within what the history keeps.
    std::pair<qint64, qint64> samples() const;

private:
    double m_spanMs;
    bool m_live = true;
    qint64 m_begin = 0;
    qint64 m_end = 0;
    Range m_view;
};
