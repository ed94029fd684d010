// A captured transient as samples.
#include "capture/transient_samples.h"

namespace {

int markedPairs(const quint8 *bytes, int count, int phase)
{
    int marked = 0;
    for (int i = phase; i + 1 < count; i += 2)
        marked += isSampleMarker(bytes[i]) ? 1 : 0;
    return marked;
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
        samples.append(
            TransientSample::at(int(samples.size()), decodePair(bytes[i], bytes[i + 1])));
    return samples;
}

QDateTime stampNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc());
}

TransientCapture stampedCapture(const QByteArray &bytes, int port, const QString &device)
{
    TransientCapture capture;
    capture.capturedAt = stampNow();
    capture.port = port;
    capture.device = device;
    capture.bytes = bytes;
    capture.samples
        = transientSamples(reinterpret_cast<const quint8 *>(bytes.constData()), int(bytes.size()));
    return capture;
}
