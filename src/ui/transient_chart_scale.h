// Where the analysis chart puts captures: each on its own time axis with 0 at its trigger, all on
// one fixed deviation scale so that before and after compare by eye, and a time range that covers
// every capture drawn.
#pragma once

#include "analysis/transient_figures.h"

#include <QList>

struct TransientChartScale
{
    double minMs = 0;
    double maxMs = 0;
};

// From the earliest first sample to the latest last sample of the captures, each timed from its
// own trigger; a whole capture's length from 0 when there is none. Never empty.
TransientChartScale transientChartScale(const QList<QList<TransientSample>> &captures);
