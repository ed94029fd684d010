// The deviation read-out; see the header.
#include "ui/readout_label.h"

ReadoutLabel::ReadoutLabel(QWidget *parent)
    : QLabel(parent)
    , m_throttle(this, [this] { setUpdatesEnabled(true); })
{
}

void ReadoutLabel::setCaption(const QString &caption)
{
    if (caption == text())
        return;
    // With updates off, setText() schedules no paint; turning them on again at the end of the
    // frame repaints the label with whatever caption it has then.
    if (!m_throttle.paintNow() && updatesEnabled())
        setUpdatesEnabled(false);
    setText(caption);
}
