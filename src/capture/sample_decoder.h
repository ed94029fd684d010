// Decoding of the drive's live samples: one receive-event read in, what the gauge shows out.
//
// Only the first two bytes of a read count; a marker that ends the read counts as (marker, 0),
// and a read that does not start on a marker shows nothing.
#pragma once

#include "capture/sample_codec.h"
#include "serial/receive_buffer.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

struct LiveSample
{
    SampleValue value; // Valid or OverSpin, never Missing
    bool negative = false; // after marker 129, over-spin included
    qint16 magnitude = 0; // becomes LiveDeviation, 0..255
    QString caption; // the read-out: sign, then NumberText of the magnitude ("+ 37", "- 0"),
                     // shared with a table made once
    StreamPosition at; // where its read began in the stream; set by the session

    bool overSpin() const { return value.isOverSpin(); } // latch the over-spin lamp red
    int positiveBar() const { return negative ? 0 : magnitude; }
    int negativeBar() const { return negative ? magnitude : 0; }
};

// Empty when the read is empty or its first byte is not a marker: the display keeps its state.
std::optional<LiveSample> decodeSample(QByteArrayView input);
