// Repaints held to the frame rate; see the header.
#include "ui/paint_throttle.h"

#include <utility>

PaintThrottle::PaintThrottle(QObject *context, std::function<void()> flushHeld)
    : m_flushHeld(std::move(flushHeld))
{
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMilliseconds);
    QObject::connect(&m_frame, &QTimer::timeout, context, [this] {
        if (!m_held)
            return;
        // The held paint starts a frame of its own, so a steady stream paints once per frame.
        m_held = false;
        m_frame.start();
        m_flushHeld();
    });
}

bool PaintThrottle::paintNow()
{
    if (m_frame.isActive()) {
        m_held = true;
        return false;
    }
    m_frame.start();
    return true;
}
