// The deviation bars' gauge; see the header.
#include "ui/vertical_gauge.h"

#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>
#include <utility>

namespace {

constexpr int kFrame = 1;

} // namespace

VerticalGauge::VerticalGauge(QWidget *parent)
    : QWidget(parent)
    , m_throttle([this] { update(std::exchange(m_held, QRect())); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VerticalGauge::setMinimum(int minimum)
{
    setRangeKeepingValue(minimum, std::max(minimum, m_maximum));
}

void VerticalGauge::setMaximum(int maximum)
{
    setRangeKeepingValue(std::min(m_minimum, maximum), maximum);
}

void VerticalGauge::setRangeKeepingValue(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    update();
}

void VerticalGauge::setValue(int value)
{
    if (value == m_value || value < m_minimum || value > m_maximum)
        return;
    const int before = level(m_value);
    const int after = level(value);
    m_value = value;
    if (before == after)
        return;
    const QRect area = inside();
    const int top = area.bottom() + 1 - std::max(before, after);
    const QRect band(area.left(), top, area.width(), std::abs(after - before));
    if (m_throttle.paintNow())
        update(band);
    else
        m_held = m_held.united(band);
}

void VerticalGauge::setFrameClock(FrameClock *clock)
{
    m_throttle.setClock(clock);
}

QSize VerticalGauge::sizeHint() const
{
    return QSize(25, 169);
}

QRect VerticalGauge::inside() const
{
    return rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
}

int VerticalGauge::level(int value) const
{
    const int span = m_maximum - m_minimum;
    if (span <= 0)
        return 0;
    return int(qint64(value - m_minimum) * inside().height() / span);
}

void VerticalGauge::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = inside();
    const int filledTop = area.bottom() + 1 - level(m_value);
    const QRect empty(area.left(), area.top(), area.width(), filledTop - area.top());
    const QRect filled(area.left(), filledTop, area.width(), area.bottom() + 1 - filledTop);
    painter.fillRect(empty.intersected(event->rect()), palette().color(QPalette::Button));
    painter.fillRect(filled.intersected(event->rect()), palette().color(QPalette::Highlight));
    if (!area.contains(event->rect()))
        qDrawShadePanel(&painter, rect(), palette(), true, kFrame);
}
