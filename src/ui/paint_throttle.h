// Holds a widget's repaints to a display frame rate when its content changes faster than anyone
// can follow. The widget's value itself changes at once; only the painting waits, for at most one
// frame, on the FrameClock the throttle has joined (see frame_clock.h).
#pragma once

#include <functional>
#include <memory>

class FrameClock;

class PaintThrottle
{
public:
    // flushHeld runs at the end of a frame during which paints were held back.
    explicit PaintThrottle(std::function<void()> flushHeld);
    ~PaintThrottle();
    PaintThrottle(const PaintThrottle &) = delete;
    PaintThrottle &operator=(const PaintThrottle &) = delete;

    // Paints on this clock from now on, in step with its other members; nullptr: on a clock of
    // its own. A paint held on the old clock is released at once.
    void setClock(FrameClock *clock);

    // True: paint now. False: the paint is held back until the frame ends.
    bool paintNow();

private:
    friend class FrameClock;

    FrameClock *clock();
    // Leaves the current clock, releasing a held paint.
    void detach();
    void releaseHeld();

    std::function<void()> m_flushHeld;
    FrameClock *m_clock = nullptr; // joined; null until the first paint or setClock()
    std::unique_ptr<FrameClock> m_own;
    bool m_held = false;
};
