// The magnified view of a capture.
#include "capture/magnifier_trace.h"

#include "capture/trace_point.h"

#include <algorithm>

static_assert(kMagnifierLastOffset + kMagnifierColumns + 1 <= kCaptureBufferLast,
    "the magnifier reads the byte after its last column");

QList<QPoint> magnifierTrace(const CaptureBuffer &captureBuffer, int offset)
{
    const int v = std::clamp(offset, 0, kMagnifierLastOffset);
    QList<QPoint> points { kTraceStart };
    points.reserve(kMagnifierColumns / 2 + 1);
    for (int x = 1; x <= kMagnifierColumns; x += 2) {
        const int t = captureBuffer[v + x];
        const int m = captureBuffer[v + x + 1];
        if (isSampleMarker(t))
            points.append(QPoint(x, traceRow(decodePair(t, m))));
        else
            ++x;
    }
    return points;
}
