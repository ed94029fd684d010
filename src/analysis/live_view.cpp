// The live chart's view of its history.
#include "analysis/live_view.h"

#include "capture/transient_samples.h"

#include <algorithm>
#include <cmath>

namespace {

double msOf(qint64 index)
{
    return double(index) * kTransientSamplePeriodMs;
}

} // namespace

LiveView::LiveView(double spanMs)
    : m_spanMs(spanMs)
    , m_view { -spanMs, 0 }
{
}

void LiveView::setSpanMs(double spanMs)
{
    m_spanMs = spanMs;
    m_view.min = m_view.max - spanMs;
    update(m_begin, m_end);
}

void LiveView::goLive()
{
    m_live = true;
    update(m_begin, m_end);
}

void LiveView::moveTo(Range view)
{
    m_live = false;
    m_view = view;
}

void LiveView::update(qint64 begin, qint64 end)
{
    m_begin = begin;
    m_end = end;
    if (m_live) {
        const double newest = msOf(end - 1);
        m_view = { newest - m_spanMs, newest };
        return;
    }
    const double oldest = msOf(begin);
    if (m_view.min < oldest && begin < end) {
        const double span = m_view.span();
        m_view = { oldest, oldest + span };
    }
}

LiveView::Range LiveView::full() const
{
    const double newest = msOf(m_end - 1);
    return { std::min({ msOf(m_begin), newest - m_view.span(), m_view.min }),
        std::max(newest, m_view.max) };
}

std::pair<qint64, qint64> LiveView::samples() const
{
    const double first = std::ceil(m_view.min / kTransientSamplePeriodMs - 1e-9);
    const double last = std::floor(m_view.max / kTransientSamplePeriodMs + 1e-9);
    const qint64 from = std::clamp(qint64(first), m_begin, m_end);
    const qint64 to = std::clamp(qint64(last) + 1, from, m_end);
    return { from, to };
}
