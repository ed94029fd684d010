// Decoding and trace geometry: the work done per receive event, per capture and per scroll step.
#include "bench_harness.h"
#include "transient_data.h"

#include "capture/magnifier_trace.h"
#include "capture/overview_trace.h"
#include "capture/sample_decoder.h"

#include <QByteArrayView>

#include <algorithm>

namespace {

using Capture = CaptureBuffer;

Capture transientCapture()
{
    const QByteArray bytes = bench::transientPairs(kTransientCaptureBytes / 2);
    Capture capture {};
    std::copy(bytes.cbegin(), bytes.cend(), capture.begin() + 1);
    return capture;
}

} // namespace

// One second at the line rate, read two characters per receive event as without the CPU saver.
VELMORA_BENCHMARK(decodeOneSecondOfSamples)
{
    const QByteArray bytes = bench::transientPairs(5760);
    run.measure([&] {
        for (qsizetype i = 0; i < bytes.size(); i += 2)
            bench::keep(decodeSample(QByteArrayView(bytes).sliced(i, 2)));
    });
}

VELMORA_BENCHMARK(overviewOfATransient)
{
    const Capture capture = transientCapture();
    run.measure([&] { bench::keep(overviewTrace(capture)); });
}

// No marker anywhere: every column searches on to the last capture byte.
VELMORA_BENCHMARK(overviewOfAnEmptyCapture)
{
    const Capture capture {};
    run.measure([&] { bench::keep(overviewTrace(capture)); });
}

VELMORA_BENCHMARK(magnifiedPointsOfOneWindow)
{
    const Capture capture = transientCapture();
    run.measure([&] { bench::keep(magnifierTrace(capture, 1000)); });
}
