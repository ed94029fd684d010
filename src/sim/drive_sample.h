// One sample of the drive's following error and its two bytes on the line, plus the interface
// of anything that produces samples one by one (the simulated axis, a recorded stream).
#pragma once

#include <array>
#include <cstdint>

struct DriveSample
{
    int error = 0; // following error in encoder steps; the line carries at most +-255
    bool overspin = false; // the drive signals over-spin instead of an error
};

// Marker 128 carries 0..255; marker 129 carries 256 minus the magnitude, so 255 is -1 and 1 is
// -255; (129, 0) is the over-spin signal. Magnitudes beyond 255 saturate at 255.
std::array<std::uint8_t, 2> encodeDriveSample(const DriveSample &sample);

// The inverse for a marker and the byte after it; false when the first byte is no marker.
bool decodeDriveSample(std::uint8_t marker, std::uint8_t value, DriveSample *sample);

class SampleSource
{
public:
    virtual ~SampleSource() = default;
    virtual DriveSample nextSample() = 0;
};
