// Playback of a recorded drive stream.
#include "sim/recorded_samples.h"

RecordedSamples::RecordedSamples(const QByteArray &bytes)
{
    m_samples.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size();) {
        DriveSample sample;
        if (decodeDriveSample(std::uint8_t(bytes[i]), std::uint8_t(bytes[i + 1]), &sample)) {
            m_samples.push_back(sample);
            i += 2;
        } else {
            ++i;
        }
    }
}

DriveSample RecordedSamples::nextSample()
{
    if (m_samples.empty())
        return {};
    const DriveSample sample = m_samples[m_next];
    m_next = (m_next + 1) % m_samples.size();
    return sample;
}
