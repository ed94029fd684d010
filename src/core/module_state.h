// The state that lives for the whole run and is shared between the windows' handlers.
// One instance is made by main() and handed to the windows; nothing reaches it globally. The
// capture itself and the mode settings belong to the capture session.
#pragma once

#include <QtGlobal>

#include <array>

struct ModuleState
{
    // The capture buffer's shape: bytes 1..4100 hold the last capture as (marker, value) pairs;
    // 0 and the rest stay 0, so the magnifier can read up to byte 2100 + 601 and the overview up
    // to byte 4101 without checks.
    static constexpr int kCaptureBufferLast = 12000;
    static constexpr int kCaptureLength = 4100;
    using CaptureBytes = std::array<quint8, kCaptureBufferLast + 1>;

    quint32 PenColor = 0; // 0x00BBGGRR, the colour of every line drawn on the chart

    // Rotation calculator values; they outlive the calculator window.
    float MaxPulseRate = 0;
    float EncoderLines = 0;
    quint8 EncoderFactor = 0;
    float SafeRevolutions = 0;
};
