// Where the analysis chart puts captures: each on its own time axis with 0 at its trigger, all
// on one fixed deviation scale so that before and after compare by eye, and a time range that
// covers every capture drawn.
#pragma once

#include "analysis/transient_figures.h"

#include <QList>
#include <QPointF>

struct TransientChartScale
{
    // A little beyond the drive's +-255 steps, so a trace at the limit stays in sight.
    static constexpr double kMinSteps = -260;
    static constexpr double kMaxSteps = 260;

    double minMs = 0;
    double maxMs = 0;
};

// The valid samples as (ms from the capture's own trigger, steps). Missing and over-spin samples
// carry no deviation and are left out, so a line drawn through the points bridges them.
QList<QPointF> transientChartPoints(const QList<TransientSample> &samples);
// The times of the over-spin samples, on the same axis.
QList<double> transientOverSpinTimes(const QList<TransientSample> &samples);

// From the earliest first sample to the latest last sample of the captures, each timed from its
// own trigger; a whole capture's length from 0 when there is none. Never empty.
TransientChartScale transientChartScale(const QList<QList<TransientSample>> &captures);

// A tick interval of 1, 2 or 5 times a power of ten that gives at most maxTicks ticks over span.
double transientTickInterval(double span, int maxTicks);
