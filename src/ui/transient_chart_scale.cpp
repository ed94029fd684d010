// The analysis chart's scale.
#include "ui/transient_chart_scale.h"

#include <algorithm>

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
