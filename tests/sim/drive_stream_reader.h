// Reads a simulated drive's byte stream as samples, through the pair codec (which its own test
// checks against the byte format for every pair).
#pragma once

#include "capture/sample_codec.h"

#include <QByteArray>
#include <QList>

struct LineSample
{
    int error = 0;
    bool overspin = false;
    bool operator==(const LineSample &other) const
    {
        return error == other.error && overspin == other.overspin;
    }
};

// The samples of a stream that starts on a marker and holds whole pairs; false (with the
// samples read so far) at the first pair that does not start with 128 or 129, or at an odd end.
inline bool readLineSamples(const QByteArray &bytes, QList<LineSample> *samples)
{
    samples->clear();
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        if (i + 1 >= bytes.size())
            return false;
        const SampleValue sample = decodePair(quint8(bytes[i]), quint8(bytes[i + 1]));
        if (sample.kind == SampleKind::Missing)
            return false;
        samples->append({ sample.deviation, sample.isOverSpin() });
    }
    return true;
}

inline QList<LineSample> lineSamples(const QByteArray &bytes)
{
    QList<LineSample> samples;
    readLineSamples(bytes, &samples);
    return samples;
}
