// Holds a widget's repaints to a display frame rate when its content changes faster than anyone
// can follow: the first change after a quiet frame is painted at once, the changes made
// during the next frame are painted together when that frame ends. The widget's value itself
// changes at once; only the painting waits, for at most one frame.
#pragma once

#include <QTimer>

#include <functional>

class PaintThrottle
{
public:
    // 25 frames a second: smooth for a bar, and faster than anyone reads a changing number.
    static constexpr int kFrameMilliseconds = 40;

    // flushHeld runs at the end of a frame during which paints were held back.
    PaintThrottle(QObject *context, std::function<void()> flushHeld);

    // True: paint now, a frame starts. False: a frame is running; the paint is held back.
    bool paintNow();

private:
    QTimer m_frame;
    std::function<void()> m_flushHeld;
    bool m_held = false;
};
