// The state that lives for the whole run and is shared between the windows' handlers: the pen
// colour of the chart and the rotation calculator's values. One instance is made by main() and
// handed to the windows; nothing reaches it globally. The capture itself and the mode settings
// belong to the capture session.
#pragma once

#include <QtGlobal>

struct ModuleState
{
    quint32 PenColor = 0; // 0x00BBGGRR, the colour of every line drawn on the chart

    // Rotation calculator values; they outlive the calculator window.
    float MaxPulseRate = 0;
    float EncoderLines = 0;
    quint8 EncoderFactor = 0;
    float SafeRevolutions = 0;
};
