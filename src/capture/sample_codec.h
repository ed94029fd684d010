// The drive's sample format, the one place it is written down: a marker byte, then a value byte.
//
//   (128, v)   the deviation +v steps, v = 0..255
//   (129, v)   the deviation v - 256 steps for v = 1..255: 255 is -1, 1 is -255
//   (129, 0)   over-spin: the drive signals it instead of a deviation
//
// A pair that does not start with a marker is no sample. Nothing on the line marks where a pair
// starts, so readers look for a marker byte to find one. The live decoder, the capture's samples,
// the chart traces and the simulated drive all read and write pairs through these functions.
#pragma once

#include <QtGlobal>

#include <array>

inline constexpr int kMarkerPositive = 128;
inline constexpr int kMarkerNegative = 129;
// The largest magnitude a pair carries; the drive saturates beyond it.
inline constexpr int kMaxDeviationSteps = 255;

constexpr bool isSampleMarker(int byte)
{
    return byte == kMarkerPositive || byte == kMarkerNegative;
}

enum class SampleKind {
    Valid, // a deviation in steps, -255..255
    OverSpin, // (129, 0): the drive signals over-spin and carries no deviation
    Missing, // the pair does not start with a marker (unfilled zeros included)
};

struct SampleValue
{
    SampleKind kind = SampleKind::Missing;
    int deviation = 0; // steps; 0 unless kind is Valid

    static constexpr SampleValue valid(int steps) { return { SampleKind::Valid, steps }; }
    static constexpr SampleValue overSpin() { return { SampleKind::OverSpin, 0 }; }
    constexpr bool isValid() const { return kind == SampleKind::Valid; }
    constexpr bool isOverSpin() const { return kind == SampleKind::OverSpin; }

    friend constexpr bool operator==(const SampleValue &a, const SampleValue &b)
    {
        return a.kind == b.kind && a.deviation == b.deviation;
    }
    friend constexpr bool operator!=(const SampleValue &a, const SampleValue &b)
    {
        return !(a == b);
    }
};

constexpr SampleValue decodePair(int marker, int value)
{
    if (marker == kMarkerPositive)
        return SampleValue::valid(value);
    if (marker != kMarkerNegative)
        return {};
    return value == 0 ? SampleValue::overSpin() : SampleValue::valid(value - 256);
}

// A deviation beyond +-255 goes out as +-255, never as the over-spin signal; a missing sample as
// the two zero bytes an unfilled capture holds.
constexpr std::array<quint8, 2> encodePair(const SampleValue &sample)
{
    if (sample.kind == SampleKind::Missing)
        return { 0, 0 };
    if (sample.kind == SampleKind::OverSpin)
        return { quint8(kMarkerNegative), 0 };
    const int size = sample.deviation < 0 ? -sample.deviation : sample.deviation;
    const int magnitude = size > kMaxDeviationSteps ? kMaxDeviationSteps : size;
    if (sample.deviation >= 0)
        return { quint8(kMarkerPositive), quint8(magnitude) };
    return { quint8(kMarkerNegative), quint8(256 - magnitude) };
}
