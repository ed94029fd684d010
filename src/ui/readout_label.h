// The deviation read-out Ertek: a label whose caption may change thousands of times a second.
// The caption is taken at once (text() is always the latest, and so is whatever a paint or a
// grab() shows); only the repaints it asks for are held to one per display frame.
#pragma once

#include "ui/paint_throttle.h"

#include <QLabel>

class ReadoutLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ReadoutLabel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);

private:
    PaintThrottle m_throttle;
};
