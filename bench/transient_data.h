// Made-up but drive-like input for the benchmarks: a following error that jumps on acceleration
// and rings down, with a few steps of noise, in the drive's (marker, value) byte format.
#pragma once

#include <QByteArray>

namespace bench {

// `pairs` samples, two bytes each, at the line rate of 5760 samples per second.
QByteArray transientPairs(int pairs);

} // namespace bench
