// How the serial control receives in each situation: RTS, buffer size, receive threshold and
// input length, as one value copied onto the control while the port is closed.
#pragma once

#include <QtGlobal>

struct ReceiveProfile
{
    bool rtsEnable = false;
    int inBufferSize = 1024;
    int rThreshold = 0;
    int inputLength = 0;

    // Triggered mode at start-up: the drive's whole 4100-byte transient overflows it.
    static constexpr ReceiveProfile triggeredAtStartUp() { return { true, 4100, 2000, 1 }; }
    // Triggered mode once its option has been chosen.
    static constexpr ReceiveProfile triggeredOption() { return { true, 4000, 2000, 1 }; }
    // Triggered mode after the CPU saver box has been changed.
    static constexpr ReceiveProfile triggeredAfterSaverChange() { return { true, 12000, 4000, 1 }; }
    // Continuous mode: one block of mintaSetting bytes per receive event (2 = every sample).
    static constexpr ReceiveProfile continuous(quint8 mintaSetting)
    {
        return { false, 4000, mintaSetting, mintaSetting };
    }

    friend constexpr bool operator==(const ReceiveProfile &a, const ReceiveProfile &b)
    {
        return a.rtsEnable == b.rtsEnable && a.inBufferSize == b.inBufferSize
            && a.rThreshold == b.rThreshold && a.inputLength == b.inputLength;
    }
};
