// Decoding of the drive's live samples: one receive-event read in, what the gauge shows out.
//
// A sample is a marker byte (128: zero or positive, 129: negative) and a value byte. Only the
// first two bytes of a read count; a read that does not start on a marker shows nothing.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

struct LiveSample
{
    bool negative = false;
    qint16 magnitude = 0; // becomes LiveDeviation, 0..255
    int positiveBar = 0;
    int negativeBar = 0;
    bool overSpin = false; // latch the over-spin lamp red
    QString caption; // the read-out: sign, then NumberText of the magnitude ("+ 37", "- 0"),
                     // shared with a table made once
};

// Empty when the read is empty or its first byte is not a marker: the display keeps its state.
std::optional<LiveSample> decodeSample(const QByteArray &input);
std::optional<LiveSample> decodeSample(QByteArrayView input);
// The serial control's text: one Latin-1 character per byte. A character above 255 cannot have
// come off the line, so a read holding one as its value is not a sample.
std::optional<LiveSample> decodeSample(const QString &input);
