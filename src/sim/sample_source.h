// Anything that produces the drive's samples one by one: the simulated axis, a recorded stream.
#pragma once

#include "capture/sample_codec.h"

class SampleSource
{
public:
    virtual ~SampleSource() = default;
    // A deviation beyond the line's +-255 is sent saturated (see encodePair).
    virtual SampleValue nextSample() = 0;
};
