// The shared display frame; see the header.
#include "ui/frame_clock.h"

#include "ui/paint_throttle.h"

#include <algorithm>

FrameClock::FrameClock(QObject *parent)
    : QObject(parent)
{
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMilliseconds);
    connect(&m_frame, &QTimer::timeout, this, &FrameClock::endFrame);
}

FrameClock::~FrameClock()
{
    for (PaintThrottle *member : std::vector<PaintThrottle *>(m_members)) {
        member->m_clock = nullptr;
        member->releaseHeld();
    }
}

void FrameClock::join(PaintThrottle *member)
{
    m_members.push_back(member);
}

void FrameClock::leave(PaintThrottle *member)
{
    m_members.erase(std::remove(m_members.begin(), m_members.end(), member), m_members.end());
}

bool FrameClock::paintNow(PaintThrottle *member)
{
    if (m_opening)
        return true;
    if (m_frame.isActive()) {
        member->m_held = true;
        return false;
    }
    m_frame.start();
    m_opening = true;
    QMetaObject::invokeMethod(
        this, [this] { m_opening = false; }, Qt::QueuedConnection);
    Q_EMIT frameStarted();
    return true;
}

void FrameClock::endFrame()
{
    const bool held = std::any_of(m_members.cbegin(), m_members.cend(),
        [](const PaintThrottle *member) { return member->m_held; });
    if (!held)
        return; // quiet: the next change paints at once
    // The released paints start a frame of their own, so a steady stream paints once per frame.
    m_frame.start();
    for (PaintThrottle *member : std::vector<PaintThrottle *>(m_members))
        member->releaseHeld();
    Q_EMIT frameStarted();
}
