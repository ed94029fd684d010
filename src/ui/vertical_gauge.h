// The deviation bars beside the chart: a value in a fixed range shown as a column filled from
// the bottom, inside a sunken frame.
//
// Setting a value only schedules a repaint of the band between the old and the new level, none
// when the level stays on the same pixel row, and at most one per display frame, so thousands of
// samples a second cost a few cheap paints.
#pragma once

#include "ui/paint_throttle.h"

#include <QRect>
#include <QWidget>

class VerticalGauge : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
public:
    explicit VerticalGauge(QWidget *parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    // The value is moved into a changed range.
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    // A value outside the range is refused and the gauge keeps its value.
    void setValue(int value);
    // Paints in step with the other widgets on this clock; nullptr: on a clock of its own.
    void setFrameClock(FrameClock *clock);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect inside() const;
    // Rows of the inside filled for a value.
    int level(int value) const;
    void setRangeKeepingValue(int minimum, int maximum);

    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    PaintThrottle m_throttle;
    // The rows changed while the throttle held their paint back. The band of each value starts
    // where the last one ended, so the rectangle around them is exactly their union, and unlike
    // a region it costs no allocation per sample.
    QRect m_held;
};
