// The analysis window's chart: a capture's deviation over time with Qt Charts, zoomed in time
// with the wheel and in both directions with a rubber band (the right button zooms out), and two
// vertical cursors A and B that the mouse drags. The view only draws and reports; what a cursor
// reads is worked out by the window from the samples.
#pragma once

#include "ui/transient_chart_scale.h"

#include <QChartView>

#include <optional>

class QAbstractSeries;
class QValueAxis;

class TransientChartView : public QChartView
{
    Q_OBJECT
public:
    enum class Cursor { A, B };

    explicit TransientChartView(QWidget *parent = nullptr);

    static QColor cursorColor(Cursor which);

    // Adds a series on the chart's time and deviation axes; the chart takes it over.
    void addSeries(QAbstractSeries *series, bool inLegend = true);
    QValueAxis *timeAxis() const { return m_timeAxis; }
    QValueAxis *stepsAxis() const { return m_stepsAxis; }

    // The scale shown in full now and by every resetZoom().
    void setFullScale(const TransientChartScale &scale);
    void resetZoom();

    void setCursorTime(Cursor which, double ms);
    double cursorTime(Cursor which) const { return which == Cursor::A ? m_cursorA : m_cursorB; }
    // The cursor's x in viewport pixels, for tests and for grabbing it.
    double cursorX(Cursor which) const;

Q_SIGNALS:
    // The mouse moved a cursor to this time; the window snaps it to a sample.
    void cursorDragged(TransientChartView::Cursor which, double ms);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    std::optional<Cursor> cursorNear(const QPointF &viewportPos) const;
    double timeAt(const QPointF &viewportPos) const;
    QRectF plotAreaInViewport() const;
    void updateTicks();

    QValueAxis *m_timeAxis;
    QValueAxis *m_stepsAxis;
    TransientChartScale m_fullScale;
    double m_cursorA = 0;
    double m_cursorB = 0;
    std::optional<Cursor> m_dragging;
};
