// The capture buffer: bytes 1..4100 hold the last capture as (marker, value) pairs; byte 0 and
// those above stay 0, so the magnifier can read up to byte 2100 + 601 and the overview up to byte
// 4101 without checks.
#pragma once

#include "capture/transient_samples.h"

#include <QtGlobal>

#include <array>

inline constexpr int kCaptureBufferLast = 12000;
using CaptureBuffer = std::array<quint8, kCaptureBufferLast + 1>;
