// Pacing and triggering of the simulated drive's line.
#include "sim/drive_sender.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr qint64 kNsPerSecond = 1000000000;

// Over-spin counts as beyond every limit.
int magnitude(const SampleValue &sample)
{
    return sample.isOverSpin() ? 256 : std::abs(sample.deviation);
}
} // namespace

DriveSender::DriveSender(std::unique_ptr<SampleSource> source, int bytesPerSecond)
    : m_source(std::move(source))
    , m_bytesPerSecond(std::max(2, bytesPerSecond))
    , m_delay(kPretriggerSamples)
{
}

qint64 DriveSender::samplesAt(qint64 elapsedNs) const
{
    // Split so that even days of nanoseconds times the rate stay far inside 64 bits.
    const qint64 seconds = elapsedNs / kNsPerSecond;
    const qint64 rest = elapsedNs % kNsPerSecond;
    const qint64 bytes = seconds * m_bytesPerSecond + rest * m_bytesPerSecond / kNsPerSecond;
    return bytes / 2;
}

void DriveSender::changeRequestToSend(bool asserted)
{
    if (asserted == m_requestToSend)
        return;
    m_requestToSend = asserted;
    // Either way a transient in progress ends here, and a new one waits for the error to rest.
    m_burstLeft = 0;
    m_armed = false;
    m_quietSamples = 0;
}

bool DriveSender::step(SampleValue *sample)
{
    const SampleValue live = m_source->nextSample();
    const SampleValue delayed = m_delay[m_delayHead];
    m_delay[m_delayHead] = live;
    m_delayHead = (m_delayHead + 1) % m_delay.size();

    if (!m_requestToSend) {
        *sample = live;
        return true;
    }
    if (m_burstLeft > 0) {
        if (--m_burstLeft == 0)
            m_quietSamples = 0;
        *sample = delayed;
        return true;
    }
    if (magnitude(live) <= kTriggerSteps) {
        if (++m_quietSamples >= kRearmSamples)
            m_armed = true;
        return false;
    }
    m_quietSamples = 0;
    if (!m_armed)
        return false;
    m_armed = false;
    m_burstLeft = kBurstBytes / 2 - 1;
    ++m_counters.transientsSent;
    *sample = delayed;
    return true;
}

QByteArray DriveSender::bytesDue(qint64 elapsedNs, bool requestToSend)
{
    changeRequestToSend(requestToSend);
    QByteArray bytes;
    if (elapsedNs <= m_elapsedNs)
        return bytes;
    m_elapsedNs = elapsedNs;
    const qint64 target = samplesAt(elapsedNs);
    bytes.reserve(2 * std::max<qint64>(0, target - m_samplesDone));
    for (; m_samplesDone < target; ++m_samplesDone) {
        SampleValue sample;
        if (!step(&sample))
            continue;
        const auto pair = encodePair(sample);
        bytes.append(char(pair[0]));
        bytes.append(char(pair[1]));
        ++m_counters.samplesSent;
        if (sample.isOverSpin())
            ++m_counters.overspinSamplesSent;
    }
    return bytes;
}
