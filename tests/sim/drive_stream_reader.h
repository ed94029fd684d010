// Reads a simulated drive's byte stream by the line rules alone, independently of the code
// that writes it, so the tests of the drive do not check the encoder against itself.
#pragma once

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
        const int marker = quint8(bytes[i]);
        const int value = quint8(bytes[i + 1]);
        if (marker == 128)
            samples->append({ value, false });
        else if (marker == 129 && value == 0)
            samples->append({ 0, true });
        else if (marker == 129)
            samples->append({ value - 256, false });
        else
            return false;
    }
    return true;
}

inline QList<LineSample> lineSamples(const QByteArray &bytes)
{
    QList<LineSample> samples;
    readLineSamples(bytes, &samples);
    return samples;
}
