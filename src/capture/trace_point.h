// Where a sample lands on the 600 x 510 chart: the zero line is y = 255, one pixel per step,
// positive deviations upwards. Shared by the overview and the magnifier.
#pragma once

#include "capture/sample_codec.h"

#include <QPoint>

// Every trace starts on the zero line at the left edge.
constexpr QPoint kTraceStart(0, 255);

// The row of a sample: 255 - e, so -1 lands on 256 and -255 on 510; over-spin on 511, the
// bottom edge.
constexpr int traceRow(const SampleValue &sample)
{
    return sample.isOverSpin() ? 511 : 255 - sample.deviation;
}
