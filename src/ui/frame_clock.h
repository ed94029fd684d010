// One display frame clock for the widgets that together show a fast-changing value: the first
// change after a quiet frame is painted at once, and so is every other change made before control
// returns to the event loop; changes made later in the frame are held and released together when
// it ends. Widgets on one clock therefore reach the screen in one window update per frame, in
// step, instead of each pushing the window on its own beat.
//
// Widgets join through their PaintThrottle; a throttle that has not joined one runs a clock of
// its own.
#pragma once

#include <QObject>
#include <QTimer>

#include <vector>

class PaintThrottle;

class FrameClock : public QObject
{
    Q_OBJECT
public:
    // 25 frames a second: smooth for a bar, and faster than anyone reads a changing number.
    static constexpr int kFrameMilliseconds = 40;

    explicit FrameClock(QObject *parent = nullptr);
    // Members keep running, each on a clock of its own; paints they held are released.
    ~FrameClock() override;

    void setFrameInterval(int milliseconds) { m_frame.setInterval(milliseconds); }

Q_SIGNALS:
    // A frame has begun, with a change on a quiet clock or with the release of the paints held
    // during the last one; what it paints goes out in one window update.
    void frameStarted();

private:
    friend class PaintThrottle;

    void join(PaintThrottle *member);
    void leave(PaintThrottle *member);
    // True: paint now. False: the member's paint is held until the frame ends.
    bool paintNow(PaintThrottle *member);
    void endFrame();

    QTimer m_frame;
    // The frame began in the current pass of the event loop: its changes all paint at once.
    bool m_opening = false;
    std::vector<PaintThrottle *> m_members;
};
