// Decoding and trace geometry: the work done per receive event, per capture and per scroll step.
#include "bench_harness.h"
#include "transient_data.h"

#include "capture/magnifier_trace.h"
#include "capture/overview_trace.h"
#include "capture/sample_decoder.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace {

using Capture = std::array<quint8, ModuleState::kCaptureBufferLast + 1>;

Capture transientCapture()
{
    const QByteArray bytes = bench::transientPairs(ModuleState::kCaptureLength / 2);
    Capture capture {};
    std::copy(bytes.cbegin(), bytes.cend(), capture.begin() + 1);
    return capture;
}

} // namespace

// One second at the line rate, read two characters per receive event as without the CPU saver.
VELMORA_BENCHMARK(decodeOneSecondOfSamples)
{
    const QByteArray bytes = bench::transientPairs(5760);
    QList<QString> reads;
    for (int i = 0; i < bytes.size(); i += 2)
        reads.append(QString::fromLatin1(bytes.mid(i, 2)));
    run.measure([&] {
        for (const QString &read : reads)
            bench::keep(decodeSample(read));
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
