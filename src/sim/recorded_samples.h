// A recorded byte stream of the drive played back as samples, over and over, so a stream
// captured from a real drive can be sent again through the simulated line.
#pragma once

#include "sim/sample_source.h"

#include <QByteArray>

#include <vector>

class RecordedSamples : public SampleSource
{
public:
    // Pairs are found the way a receiver finds them: a marker byte and the byte after it.
    // Bytes that start no pair are skipped, so a clean recording plays back byte for byte.
    explicit RecordedSamples(const QByteArray &bytes);

    bool isEmpty() const { return m_samples.empty(); }
    int size() const { return int(m_samples.size()); }

    // Starts again at the first sample after the last; an empty recording gives zero error.
    SampleValue nextSample() override;

private:
    std::vector<SampleValue> m_samples;
    std::size_t m_next = 0;
};
