// Playback of a recorded drive stream.
#include "sim/recorded_samples.h"

RecordedSamples::RecordedSamples(const QByteArray &bytes)
{
    m_samples.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size();) {
        const SampleValue sample = decodePair(quint8(bytes[i]), quint8(bytes[i + 1]));
        if (sample.kind != SampleKind::Missing) {
            m_samples.push_back(sample);
            i += 2;
        } else {
            ++i;
        }
    }
}

SampleValue RecordedSamples::nextSample()
{
    if (m_samples.empty())
        return SampleValue::valid(0);
    const SampleValue sample = m_samples[m_next];
    m_next = (m_next + 1) % m_samples.size();
    return sample;
}
