// The deviation read-out Ertek: a label whose caption may change thousands of times a second.
// The caption is taken at once (text() is always the latest, and so is whatever a paint or a
// grab() shows); only the repaints it asks for are held to one per display frame.
//
// Give it a fixed size (minimum and maximum alike), as the main window's form does: a label
// whose size may follow its text asks its parent for a new layout at every caption, a posted
// event and a wake-up of the event loop each time.
#pragma once

#include "ui/paint_throttle.h"

#include <QLabel>

class ReadoutLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ReadoutLabel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    // Paints in step with the other widgets on this clock; nullptr: on a clock of its own.
    void setFrameClock(FrameClock *clock);

private:
    PaintThrottle m_throttle;
};
