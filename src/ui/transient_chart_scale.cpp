// The analysis chart's points and scale.
#include "ui/transient_chart_scale.h"

#include <algorithm>
#include <cmath>

QList<QPointF> transientChartPoints(const QList<TransientSample> &samples)
{
    const int origin = transientTimeOrigin(transientTrigger(samples));
    QList<QPointF> points;
    points.reserve(samples.size());
    for (const TransientSample &s : samples) {
        if (s.isValid())
            points.append(QPointF(transientTimeMs(s.index, origin), s.deviation));
    }
    return points;
}

QList<double> transientOverSpinTimes(const QList<TransientSample> &samples)
{
    const int origin = transientTimeOrigin(transientTrigger(samples));
    QList<double> times;
    for (const TransientSample &s : samples) {
        if (s.kind == SampleKind::OverSpin)
            times.append(transientTimeMs(s.index, origin));
    }
    return times;
}

TransientChartScale transientChartScale(const QList<QList<TransientSample>> &captures)
{
    TransientChartScale scale;
    bool any = false;
    for (const QList<TransientSample> &samples : captures) {
        if (samples.isEmpty())
            continue;
        const int origin = transientTimeOrigin(transientTrigger(samples));
        const double first = transientTimeMs(samples.constFirst().index, origin);
        const double last = transientTimeMs(samples.constLast().index, origin);
        scale.minMs = any ? std::min(scale.minMs, first) : first;
        scale.maxMs = any ? std::max(scale.maxMs, last) : last;
        any = true;
    }
    if (!any)
        scale.maxMs = (kTransientMaxSamples - 1) * kTransientSamplePeriodMs;
    // An axis needs a width: a capture of one sample gets one sample period.
    if (scale.maxMs <= scale.minMs)
        scale.maxMs = scale.minMs + kTransientSamplePeriodMs;
    return scale;
}

double transientTickInterval(double span, int maxTicks)
{
    if (!(span > 0) || maxTicks < 1)
        return 1;
    const double rough = span / maxTicks;
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : { 1.0, 2.0, 5.0, 10.0 }) {
        if (step * factor >= rough)
            return step * factor;
    }
    return step * 10;
}
