// The drive's sample format: a marker byte, then a value byte. After 128 the value is the
// deviation (0..255); after 129 it is 256 minus the magnitude, and 0 signals over-spin.
// Nothing marks pair boundaries, so readers look for a marker byte to find them.
#pragma once

constexpr int kMarkerPositive = 128;
constexpr int kMarkerNegative = 129;

constexpr bool isSampleMarker(int byte)
{
    return byte == kMarkerPositive || byte == kMarkerNegative;
}
