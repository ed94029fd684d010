// The magnified view of a capture: one byte per pixel column from byte offset + 1, two columns
// per sample. Pure geometry; the window clears the chart and draws the lines.
#pragma once

#include "capture/capture_buffer.h"

#include <QList>
#include <QPoint>

#include <array>

constexpr int kMagnifierColumns = 600;
constexpr int kMagnifierLineWidth = 1;
// The scroll bar's range. Offsets outside 0..kMagnifierLastOffset are clamped into it, so the
// view never reads past byte kMagnifierLastOffset + 601.
constexpr int kMagnifierLastOffset = 2100;

// The polyline to draw: (0, 255) first, then the end point of each line in drawing order. A
// column on a marker draws its pair and moves on 2 columns; any other byte moves on 3, to try
// the other phase. Unlike the overview, pairs valued 127 or 128 are drawn.
QList<QPoint> magnifierTrace(const CaptureBuffer &captureBuffer, int offset);
