// The state that lives for the whole run and is shared between the windows' handlers.
// One instance is made by main() and handed to the windows; nothing reaches it globally.
#pragma once

#include <QtGlobal>

#include <array>

struct ModuleState
{
    // Bytes 1..4100 hold the last capture as (marker, value) pairs; 0 and the rest stay 0, so the
    // magnifier can read up to byte 2100 + 601 and the overview up to byte 4101 without checks.
    static constexpr int kCaptureBufferLast = 12000;
    static constexpr int kCaptureLength = 4100;
    std::array<quint8, kCaptureBufferLast + 1> CaptureBuffer {};

    quint32 PenColor = 0;    // 0x00BBGGRR, the colour of every line drawn on the chart
    quint8 MintaSetting = 0; // 31 with the CPU saver on, 2 with it off
    qint16 LiveDeviation = 0; // magnitude last shown on the gauge

    // Rotation calculator values; they outlive the calculator window.
    float MaxPulseRate = 0;
    float EncoderLines = 0;
    quint8 EncoderFactor = 0;
    float SafeRevolutions = 0;
};
