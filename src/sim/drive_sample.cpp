// The drive's two-byte sample format, seen from the sending side.
#include "sim/drive_sample.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr std::uint8_t kPositiveMarker = 128;
constexpr std::uint8_t kNegativeMarker = 129;
constexpr int kLargestMagnitude = 255;
} // namespace

std::array<std::uint8_t, 2> encodeDriveSample(const DriveSample &sample)
{
    if (sample.overspin)
        return { kNegativeMarker, 0 };
    const int magnitude = std::min(std::abs(sample.error), kLargestMagnitude);
    if (sample.error >= 0)
        return { kPositiveMarker, static_cast<std::uint8_t>(magnitude) };
    return { kNegativeMarker, static_cast<std::uint8_t>(256 - magnitude) };
}

bool decodeDriveSample(std::uint8_t marker, std::uint8_t value, DriveSample *sample)
{
    if (marker == kPositiveMarker) {
        *sample = { value, false };
        return true;
    }
    if (marker == kNegativeMarker) {
        *sample = value == 0 ? DriveSample { 0, true } : DriveSample { value - 256, false };
        return true;
    }
    return false;
}
