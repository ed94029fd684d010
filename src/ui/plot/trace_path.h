// A series' trace as one QPainterPath, cut to the plot area by the data itself (SVG output
// ignores clip paths), with every sample honest on screen:
//   - above one sample per pixel column, each column is a vertical line from its min to its max,
//     joined to its neighbours, so no excursion is lost at any zoom;
//   - below, a line through the samples themselves, interpolated where it crosses an edge.
// Missing and over-spin samples carry no deviation, so the line stops at them (a column holding
// any is drawn on its own); a valid sample between two such gaps shows as a short dash. Over-spin
// samples are reported for their marks.
#pragma once

#include "ui/plot/column_envelope.h"

#include <QPainterPath>
#include <QRectF>

#include <vector>

// Which samples the plot area shows: the (fractional) sample indices at its left and right
// edges, and the values at its bottom and top.
struct TraceView
{
    QRectF area;
    double leftIndex = 0;
    double rightIndex = 1;
    double minValue = -260;
    double maxValue = 260;
    double pixelRatio = 1; // device pixels per unit of area: one column per device pixel

    int columns() const;

    double x(double index) const
    {
        return area.left() + (index - leftIndex) / (rightIndex - leftIndex) * area.width();
    }
    double y(double value) const
    {
        return area.bottom() - (value - minValue) / (maxValue - minValue) * area.height();
    }
};

// Up to this many samples per column the line goes through every sample.
inline constexpr double kPolylineSamplesPerColumn = 1.0;

// Keeps its buffers from one frame to the next.
class TracePathBuilder
{
public:
    // Replaces path with the trace and overSpinX with the x of every over-spin mark in view.
    // True when the trace is drawn per column.
    bool build(const SampleSeries &series, const TraceView &view, QPainterPath &path,
        std::vector<double> &overSpinX);

private:
    std::vector<EnvelopeColumn> m_columns;
};
