// The overview of a fresh capture: 600 columns at 3.415 bytes per column, each column searching
// forward from its own byte for the next marker. Pure geometry; the window draws the lines.
#pragma once

#include "capture/capture_buffer.h"

#include <QList>
#include <QPoint>

#include <array>

constexpr int kOverviewColumns = 600;
constexpr int kOverviewLineWidth = 2;
// A column's search gives up past this byte; the last pair examined is this byte and the next.
constexpr int kOverviewLastSearchedByte = kTransientCaptureBytes;

// The byte where column x (1..600) starts its search: floor(x * 3.415), computed exactly.
constexpr int overviewColumnStart(int x)
{
    return x * 3415 / 1000;
}

// The polyline to draw: (0, 255) first, then the end point of each line in drawing order.
// Columns whose search finds nothing, or finds a pair valued 127 or 128, add no point.
QList<QPoint> overviewTrace(const CaptureBuffer &captureBuffer);
