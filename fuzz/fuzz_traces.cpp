// Fuzzes the byte-to-picture paths over whole capture buffers: live sample decoding, the
// overview's column search and the magnifier's stepping. The buffer sits alone on the heap, so
// AddressSanitizer stops any read past byte 12000. Checks that every point lies on the chart,
// columns only move right, and each point stands for a (marker, value) pair of the capture.
//
// Input: one flags byte (bit 0: repeat the content instead of padding it with zeros; bit 1: keep
// byte 0 and everything past the capture zero, as a real capture does), one byte k, k 16-bit
// scroll offsets, then the content.
#include "capture/magnifier_trace.h"
#include "capture/overview_trace.h"
#include "capture/sample_codec.h"
#include "capture/sample_decoder.h"
#include "capture/trace_point.h"
#include "core/number_text.h"
#include "fuzz_support.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace {

using Capture = CaptureBuffer;

constexpr int kChartWidth = 600;
constexpr int kChartBottom = 511;

// Shared by both traces: the zero-line start, then points on the chart moving right.
void checkTraceShape(const QList<QPoint> &points, int maxPoints)
{
    fuzzCheck(!points.isEmpty() && points.first() == kTraceStart, "a trace without its start");
    fuzzCheck(points.size() <= maxPoints, "a trace with more points than columns allow");
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPoint p = points.at(i);
        fuzzCheck(p.x() >= 1 && p.x() <= kChartWidth, "a point left or right of the chart");
        fuzzCheck(p.y() >= 0 && p.y() <= kChartBottom, "a point above or below the chart");
        fuzzCheck(p.x() > points.at(i - 1).x(), "a point that does not move right");
    }
}

void checkOverview(const Capture &capture)
{
    const QList<QPoint> points = overviewTrace(capture);
    checkTraceShape(points, kOverviewColumns + 1);
    for (qsizetype i = 1; i < points.size(); ++i) {
        // Pairs valued 127 or 128 are never drawn in the overview.
        const int y = points.at(i).y();
        for (const int marker : { kMarkerPositive, kMarkerNegative }) {
            fuzzCheck(
                y != traceRow(decodePair(marker, 127)) && y != traceRow(decodePair(marker, 128)),
                "the overview drew a pair valued 127 or 128");
        }
    }
}

void checkMagnifier(const Capture &capture, int offset)
{
    const QList<QPoint> points = magnifierTrace(capture, offset);
    checkTraceShape(points, kMagnifierColumns / 2 + 1);
    const int v = std::clamp(offset, 0, kMagnifierLastOffset);
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPoint p = points.at(i);
        const int marker = capture[size_t(v + p.x())];
        fuzzCheck(isSampleMarker(marker), "the magnifier drew a column that is not on a marker");
        fuzzCheck(p.y() == traceRow(decodePair(marker, capture[size_t(v + p.x() + 1)])),
            "the magnifier drew a pair at the wrong height");
    }
    if (v != offset)
        fuzzCheck(points == magnifierTrace(capture, v), "an offset out of range is not clamped");
}

void checkSample(const QByteArray &input)
{
    const std::optional<LiveSample> sample = decodeSample(input);
    const bool marked = !input.isEmpty() && isSampleMarker(quint8(input.at(0)));
    fuzzCheck(sample.has_value() == marked, "a read decoded although it is not on a marker");
    if (!marked)
        return;

    const LiveSample &s = *sample;
    const int value = input.size() > 1 ? quint8(input.at(1)) : 0;
    fuzzCheck(s.negative == (quint8(input.at(0)) == kMarkerNegative), "the wrong sign");
    fuzzCheck(s.magnitude >= 0 && s.magnitude <= 255, "a magnitude outside 0..255");
    fuzzCheck(s.negative ? (s.magnitude + value) % 256 == 0 : s.magnitude == value,
        "the magnitude does not follow from the value byte");
    fuzzCheck(s.overSpin() == (s.negative && value == 0), "over-spin on the wrong pair");
    fuzzCheck(s.positiveBar() == (s.negative ? 0 : s.magnitude)
            && s.negativeBar() == (s.negative ? s.magnitude : 0),
        "the bars do not show the magnitude on its side");
    fuzzCheck(s.caption == QLatin1Char(s.negative ? '-' : '+') + NumberText(int(s.magnitude)),
        "the read-out does not show the sign and the magnitude");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ByteReader in(data, size);
    const int flags = in.byte();
    const bool repeat = flags & 1;
    const bool asCaptured = flags & 2;
    std::vector<int> offsets { 0, kMagnifierLastOffset, -1, kMagnifierLastOffset + 1, INT_MIN,
        INT_MAX };
    for (int k = in.byte() % 16; k > 0; --k)
        offsets.push_back(in.range(-50, kMagnifierLastOffset + 50));

    const QByteArray content(
        reinterpret_cast<const char *>(in.position()), qsizetype(in.remaining()));
    // Alone on the heap: a read past either end lands in AddressSanitizer's red zone.
    auto capture = std::make_unique<Capture>();
    const size_t first = asCaptured ? 1 : 0;
    const size_t last = asCaptured ? size_t(kTransientCaptureBytes) : capture->size() - 1;
    for (size_t i = first, j = 0; i <= last && !content.isEmpty(); ++i, ++j) {
        if (j == size_t(content.size())) {
            if (!repeat)
                break;
            j = 0;
        }
        (*capture)[i] = quint8(content.at(qsizetype(j)));
    }

    checkOverview(*capture);
    for (int offset : offsets)
        checkMagnifier(*capture, offset);

    // Receive-event reads: the continuous profiles' 2 and 31 bytes, and the shorter ends.
    for (qsizetype i = 0; i < std::min<qsizetype>(content.size(), 64); ++i) {
        for (qsizetype length : { 0, 1, 2, 31 })
            checkSample(content.mid(i, length));
    }
    return 0;
}
