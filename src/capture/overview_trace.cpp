// The overview of a fresh capture.
#include "capture/overview_trace.h"

#include "capture/trace_point.h"

static_assert(kOverviewLastSearchedByte + 1 <= kCaptureBufferLast,
    "the overview reads the byte after the last one it searches");

QList<QPoint> overviewTrace(const CaptureBuffer &captureBuffer)
{
    QList<QPoint> points { kTraceStart };
    for (int x = 1; x <= kOverviewColumns; ++x) {
        for (int i = overviewColumnStart(x); i <= kOverviewLastSearchedByte; ++i) {
            const int t = captureBuffer[i];
            const int m = captureBuffer[i + 1];
            if (!isSampleMarker(t))
                continue;
            // Pairs valued 127 or 128 are not drawn (a 128 may be the next marker read out of
            // phase); either way the search ends at the first marker.
            if (m != 127 && m != 128)
                points.append(QPoint(x, traceRow(decodePair(t, m))));
            break;
        }
    }
    return points;
}
