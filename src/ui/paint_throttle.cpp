// A widget's membership of a frame clock; see the header.
#include "ui/paint_throttle.h"

#include "ui/frame_clock.h"

#include <utility>

PaintThrottle::PaintThrottle(std::function<void()> flushHeld)
    : m_flushHeld(std::move(flushHeld))
{
}

PaintThrottle::~PaintThrottle()
{
    if (m_clock)
        m_clock->leave(this);
}

void PaintThrottle::setClock(FrameClock *clock)
{
    detach();
    if (clock) {
        m_clock = clock;
        m_clock->join(this);
    }
}

bool PaintThrottle::paintNow()
{
    return clock()->paintNow(this);
}

FrameClock *PaintThrottle::clock()
{
    if (!m_clock) {
        if (!m_own)
            m_own = std::make_unique<FrameClock>();
        m_clock = m_own.get();
        m_clock->join(this);
    }
    return m_clock;
}

void PaintThrottle::detach()
{
    if (m_clock)
        m_clock->leave(this);
    m_clock = nullptr;
    releaseHeld();
}

void PaintThrottle::releaseHeld()
{
    if (std::exchange(m_held, false))
        m_flushHeld();
}
