// Where a sample lands on the 600 x 510 chart: the zero line is y = 255, one pixel per step,
// positive deviations upwards. Shared by the overview and the magnifier.
#pragma once

#include "capture/sample_format.h"

#include <QPoint>

// Every trace starts on the zero line at the left edge.
constexpr QPoint kTraceStart(0, 255);

// The row of a (marker, value) pair. After 129 the value is 256 minus the magnitude, so the row
// is 255 + (256 - value): 256 for -1 down to 511 for the over-spin signal at the bottom edge.
constexpr int traceRow(int marker, int value)
{
    return marker == kMarkerPositive ? 255 - value : 511 - value;
}
