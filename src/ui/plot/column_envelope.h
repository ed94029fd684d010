// What each pixel column of a plot holds of a series: the min and max of its valid samples and
// whether missing or over-spin samples are among them. Taken from the series' block envelope,
// so a frame costs a walk over columns and blocks, however many samples are in view.
#pragma once

#include "analysis/sample_series.h"

#include <vector>

struct EnvelopeColumn
{
    qint16 min = 0; // of the valid samples; 0 without any
    qint16 max = 0;
    bool valid = false;
    bool missing = false;
    bool overSpin = false;
};

// leftIndex and rightIndex are the (fractional) sample indices at the left edge of the first
// column and the right edge of the last. Column c holds the samples i with
// c <= (i - leftIndex) / samplesPerColumn < c + 1; a sample on the right edge goes to the last
// column. Samples the series does not keep leave their columns empty. out is resized to columns.
void columnEnvelope(const SampleSeries &series, double leftIndex, double rightIndex, int columns,
    std::vector<EnvelopeColumn> &out);
