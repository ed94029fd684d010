// The deviation read-out; see the header.
#include "ui/readout_label.h"

ReadoutLabel::ReadoutLabel(QWidget *parent)
    : QLabel(parent)
    , m_throttle([this] { update(); })
{
}

void ReadoutLabel::setFrameClock(FrameClock *clock)
{
    m_throttle.setClock(clock);
}

void ReadoutLabel::setCaption(const QString &caption)
{
    if (caption == text())
        return;
    if (m_throttle.paintNow() || !updatesEnabled()) {
        setText(caption);
        return;
    }
    // Held: the caption changes without the repaint setText() asks for, and the end of the frame
    // paints it. The flag that turns update() into nothing is raised for this one call only;
    // setUpdatesEnabled() cannot do this (enabling repaints at once), and a label left with
    // updates disabled is skipped by grab() and by exposures, so it would come out blank.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(caption);
    setAttribute(Qt::WA_UpdatesDisabled, false);
}
