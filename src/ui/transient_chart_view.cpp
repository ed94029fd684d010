// The analysis chart: axes, zoom and the two cursors.
#include "ui/transient_chart_view.h"

#include <QAbstractSeries>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QMouseEvent>
#include <QValueAxis>

#include <cmath>

namespace {

// How near to a cursor line, in pixels, a press grabs it.
constexpr double kGrabPixels = 6;
// Each notch of the wheel shows this share of the time span.
constexpr double kWheelZoom = 0.8;
// At most one tick label per this many pixels.
constexpr int kPixelsPerTick = 70;

} // namespace

TransientChartView::TransientChartView(QWidget *parent)
    : QChartView(parent)
    , m_timeAxis(new QValueAxis)
    , m_stepsAxis(new QValueAxis)
{
    // The view comes with a chart of its own; replacing it would leave that one unowned.
    QChart *c = chart();
    c->setMargins(QMargins(4, 4, 8, 4));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setBackgroundRoundness(0);
    c->legend()->setAlignment(Qt::AlignBottom);
    m_timeAxis->setTitleText(QStringLiteral("time from trigger (ms)"));
    m_stepsAxis->setTitleText(QStringLiteral("following error (steps)"));
    for (QValueAxis *axis : { m_timeAxis, m_stepsAxis }) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(1);
        connect(axis, &QValueAxis::rangeChanged, this, [this] {
            updateTicks();
            viewport()->update();
        });
    }
    c->addAxis(m_timeAxis, Qt::AlignBottom);
    c->addAxis(m_stepsAxis, Qt::AlignLeft);
    connect(c, &QChart::plotAreaChanged, this, [this] {
        updateTicks();
        viewport()->update();
    });
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    setFullScale(m_fullScale);
}

QColor TransientChartView::cursorColor(Cursor which)
{
    return which == Cursor::A ? QColor(0xc0, 0x00, 0x60) : QColor(0x00, 0x70, 0x40);
}

void TransientChartView::addSeries(QAbstractSeries *series, bool inLegend)
{
    chart()->addSeries(series);
    series->attachAxis(m_timeAxis);
    series->attachAxis(m_stepsAxis);
    if (!inLegend) {
        for (QLegendMarker *marker : chart()->legend()->markers(series))
            marker->setVisible(false);
    }
}

void TransientChartView::setFullScale(const TransientChartScale &scale)
{
    m_fullScale = scale;
    resetZoom();
}

void TransientChartView::resetZoom()
{
    m_timeAxis->setRange(m_fullScale.minMs, m_fullScale.maxMs);
    m_stepsAxis->setRange(TransientChartScale::kMinSteps, TransientChartScale::kMaxSteps);
}

void TransientChartView::setCursorTime(Cursor which, double ms)
{
    (which == Cursor::A ? m_cursorA : m_cursorB) = ms;
    viewport()->update();
}

QRectF TransientChartView::plotAreaInViewport() const
{
    const QRectF plot = chart()->mapToScene(chart()->plotArea()).boundingRect();
    return mapFromScene(plot).boundingRect();
}

double TransientChartView::cursorX(Cursor which) const
{
    const QRectF plot = plotAreaInViewport();
    const double span = m_timeAxis->max() - m_timeAxis->min();
    return plot.left() + (cursorTime(which) - m_timeAxis->min()) / span * plot.width();
}

double TransientChartView::timeAt(const QPointF &viewportPos) const
{
    const QRectF plot = plotAreaInViewport();
    const double span = m_timeAxis->max() - m_timeAxis->min();
    return m_timeAxis->min() + (viewportPos.x() - plot.left()) / plot.width() * span;
}

std::optional<TransientChartView::Cursor> TransientChartView::cursorNear(
    const QPointF &viewportPos) const
{
    const QRectF plot = plotAreaInViewport();
    if (viewportPos.y() < plot.top() - kGrabPixels || viewportPos.y() > plot.bottom())
        return std::nullopt;
    std::optional<Cursor> nearest;
    double best = kGrabPixels;
    for (const Cursor which : { Cursor::B, Cursor::A }) {
        const double distance = std::abs(cursorX(which) - viewportPos.x());
        if (distance <= best) {
            best = distance;
            nearest = which;
        }
    }
    return nearest;
}

void TransientChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = cursorNear(event->position());
        if (m_dragging) {
            event->accept();
            return;
        }
    }
    QChartView::mousePressEvent(event);
}

void TransientChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging) {
        Q_EMIT cursorDragged(*m_dragging, timeAt(event->position()));
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        if (cursorNear(event->position()))
            viewport()->setCursor(Qt::SizeHorCursor);
        else
            viewport()->unsetCursor();
    }
    QChartView::mouseMoveEvent(event);
}

void TransientChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging.reset();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

// Time only: the deviation scale stays the one all captures share.
void TransientChartView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    const double factor = std::pow(kWheelZoom, notches);
    const double at = timeAt(event->position());
    const double low = at - (at - m_timeAxis->min()) * factor;
    const double high = at + (m_timeAxis->max() - at) * factor;
    // No further out than the whole scale.
    if (high - low >= m_fullScale.maxMs - m_fullScale.minMs)
        m_timeAxis->setRange(m_fullScale.minMs, m_fullScale.maxMs);
    else
        m_timeAxis->setRange(low, high);
    event->accept();
}

void TransientChartView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    const QRectF plot = chart()->mapToScene(chart()->plotArea()).boundingRect();
    const double span = m_timeAxis->max() - m_timeAxis->min();
    painter->save();
    QFont font = painter->font();
    font.setBold(true);
    painter->setFont(font);
    const QFontMetrics metrics(font);
    for (const Cursor which : { Cursor::A, Cursor::B }) {
        const double x
            = plot.left() + (cursorTime(which) - m_timeAxis->min()) / span * plot.width();
        if (x < plot.left() - 0.5 || x > plot.right() + 0.5)
            continue;
        const QColor color = cursorColor(which);
        painter->setPen(QPen(color, 1.5));
        painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const QString name = which == Cursor::A ? QStringLiteral("A") : QStringLiteral("B");
        const QRectF box(
            x - metrics.height() / 2.0 - 2, plot.top(), metrics.height() + 4, metrics.height() + 2);
        painter->fillRect(box, color);
        painter->setPen(Qt::white);
        painter->drawText(box, Qt::AlignCenter, name);
    }
    painter->restore();
}

void TransientChartView::updateTicks()
{
    const QRectF plot = chart()->plotArea();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    m_timeAxis->setTickInterval(transientTickInterval(
        m_timeAxis->max() - m_timeAxis->min(), std::max(2, int(plot.width()) / kPixelsPerTick)));
    m_stepsAxis->setTickInterval(transientTickInterval(m_stepsAxis->max() - m_stepsAxis->min(),
        std::max(2, int(plot.height()) / (kPixelsPerTick / 2))));
}
