// A captured transient as samples.
#include "capture/transient_samples.h"

#include "capture/sample_format.h"

#include <cstdlib>

namespace {

int markedPairs(const quint8 *bytes, int count, int phase)
{
    int marked = 0;
    for (int i = phase; i + 1 < count; i += 2)
        marked += isSampleMarker(bytes[i]) ? 1 : 0;
    return marked;
}

TransientSample decodePair(int index, int marker, int value)
{
    TransientSample sample;
    sample.index = index;
    if (marker == kMarkerPositive) {
        sample.kind = SampleKind::Valid;
        sample.deviation = value;
    } else if (marker == kMarkerNegative) {
        sample.kind = value == 0 ? SampleKind::OverSpin : SampleKind::Valid;
        sample.deviation = value == 0 ? 0 : value - 256;
    }
    return sample;
}

} // namespace

int transientPhase(const quint8 *bytes, int count)
{
    if (bytes == nullptr || count < 2)
        return 0;
    return markedPairs(bytes, count, 1) > markedPairs(bytes, count, 0) ? 1 : 0;
}

QList<TransientSample> transientSamples(const quint8 *bytes, int count)
{
    QList<TransientSample> samples;
    if (bytes == nullptr || count < 2)
        return samples;
    const int phase = transientPhase(bytes, count);
    samples.reserve((count - phase) / 2);
    for (int i = phase; i + 1 < count; i += 2)
        samples.append(decodePair(int(samples.size()), bytes[i], bytes[i + 1]));
    return samples;
}

std::optional<int> transientTrigger(const QList<TransientSample> &samples)
{
    for (const TransientSample &sample : samples) {
        if (sample.isValid() && std::abs(sample.deviation) > kTransientTriggerSteps)
            return sample.index;
    }
    return std::nullopt;
}
