// Counts the paint events a widget receives, for the checks that fast changes repaint it at the
// frame rate and not once per change.
#pragma once

#include <QEvent>
#include <QObject>

struct PaintCounter : QObject
{
    int paints = 0;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
