// The plot component: a frame of the live chart at its longest span and at a short one, the
// analysis chart with a capture and eight references, the sample series' append and statistics,
// and a second of the stream into the live chart's history. Frames are drawn by render() into a
// 1000 x 420 image, background and all, as when the live chart scrolls; on a paused chart the
// screen reuses its background.
#include "bench_harness.h"

#include "analysis/live_history.h"
#include "analysis/sample_series.h"
#include "ui/plot/plot_widget.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <list>

namespace {

constexpr qint64 kTenMinutes = 600ll * kTransientSampleRateHz;

// A following error that swings slowly, rings at 400 Hz and jitters, with a missing sample now and
// then and an over-spin sample more rarely.
qint16 streamCode(qint64 i)
{
    if (i % 9973 == 0)
        return SampleSeries::kMissing;
    if (i % 100003 == 0)
        return SampleSeries::kOverSpin;
    const double t = double(i) / kTransientSampleRateHz;
    const double value
        = 80 * std::sin(2 * t) + 30 * std::sin(2 * M_PI * 400 * t) + double(i * 7919 % 11) - 5;
    return qint16(std::lround(value));
}

// The live chart's ring, filled with seconds of stream.
SampleSeries liveSeries(int seconds)
{
    SampleSeries series(kTenMinutes);
    for (qint64 i = 0; i < qint64(seconds) * kTransientSampleRateHz; ++i)
        series.append(streamCode(i));
    return series;
}

// A decaying ring after a trigger at sample 128.
SampleSeries capture(int number)
{
    SampleSeries series;
    for (int i = 0; i < kTransientMaxSamples; ++i) {
        const double t = (i - 128) / double(kTransientSampleRateHz);
        const double value = i < 128
            ? 0
            : (200 - 10 * number) * std::exp(-40 * t) * std::cos(2 * M_PI * (380 + 5 * number) * t);
        series.append(qint16(std::lround(value)));
    }
    return series;
}

// The newest spanMs of the series, newest sample at the right edge.
void showLive(PlotWidget &plot, const SampleSeries &series, double spanMs)
{
    plot.resize(1000, 420);
    plot.addSeries({ &series, 0, QColor(0, 90, 200), Qt::SolidLine, 1.5, QStringLiteral("live") });
    const double newest = double(series.end() - 1) * kTransientSamplePeriodMs;
    plot.setFullRange(double(series.begin()) * kTransientSamplePeriodMs, newest);
    plot.setTimeRange(newest - spanMs, newest);
}

void measureFrames(bench::Run &run, PlotWidget &plot)
{
    QImage image(plot.size(), QImage::Format_ARGB32_Premultiplied);
    run.measure([&] {
        QPainter painter(&image);
        plot.render(&painter, image.rect());
        painter.end();
        bench::keep(image);
    });
}

} // namespace

VELMORA_BENCHMARK(plotFrameOfSixtySeconds)
{
    const SampleSeries series = liveSeries(70);
    PlotWidget plot;
    showLive(plot, series, 60000);
    measureFrames(run, plot);
}

VELMORA_BENCHMARK(plotFrameOfTwoSeconds)
{
    const SampleSeries series = liveSeries(70);
    PlotWidget plot;
    showLive(plot, series, 2000);
    measureFrames(run, plot);
}

// The analysis window's chart: a capture and eight references, as many as it holds.
void showNineCaptures(PlotWidget &plot, std::list<SampleSeries> &captures)
{
    plot.resize(1000, 420);
    for (int n = 0; n < 9; ++n) {
        captures.push_back(capture(n));
        const bool shown = n == 8;
        plot.addSeries({ &captures.back(), 128, QColor::fromHsv(40 * n, 200, shown ? 0 : 200),
            shown ? Qt::SolidLine : Qt::DashLine, shown ? 1.5 : 1.0,
            QStringLiteral("capture %1").arg(n) });
    }
    plot.setFullRange(
        -128 * kTransientSamplePeriodMs, (kTransientMaxSamples - 129) * kTransientSamplePeriodMs);
    plot.resetZoom();
}

VELMORA_BENCHMARK(plotFrameOfNineCaptures)
{
    std::list<SampleSeries> captures;
    PlotWidget plot;
    showNineCaptures(plot, captures);
    measureFrames(run, plot);
}

// On screen, as when a cursor moves: the background comes from the pixmap the widget keeps.
VELMORA_BENCHMARK(plotFrameOfNineCapturesOnScreen)
{
    std::list<SampleSeries> captures;
    PlotWidget plot;
    showNineCaptures(plot, captures);
    plot.show();
    QCoreApplication::processEvents();
    run.measure([&] { plot.repaint(); });
}

// On screen, a frame of the live chart at spanMs: a frame's worth of samples appended, then the
// view moved on to the newest by move(plot, min, max), and the frame painted.
template <typename Move> void measureLiveFrames(bench::Run &run, double spanMs, Move move)
{
    SampleSeries series = liveSeries(70);
    PlotWidget plot;
    showLive(plot, series, spanMs);
    plot.show();
    QCoreApplication::processEvents(); // exposed, so that painting really paints
    const int perFrame = kTransientSampleRateHz / 25;
    run.measure([&] {
        for (int i = 0; i < perFrame; ++i)
            series.append(streamCode(series.end()));
        const double newest = double(series.end() - 1) * kTransientSamplePeriodMs;
        plot.setFullRange(double(series.begin()) * kTransientSamplePeriodMs, newest);
        move(plot, newest - spanMs, newest);
    });
}

// Drawn whole, as after a change of span or a scroll back.
VELMORA_BENCHMARK(plotLiveFrameOfSixtySecondsOnScreen)
{
    measureLiveFrames(run, 60000, [](PlotWidget &plot, double min, double max) {
        plot.setTimeRange(min, max);
        plot.repaint();
    });
}

// Following: the widget moves its picture on and draws only the strip the samples came into.
void measureFollowing(bench::Run &run, double spanMs)
{
    measureLiveFrames(run, spanMs, [](PlotWidget &plot, double min, double max) {
        plot.followTimeTo(min, max);
        QCoreApplication::processEvents();
    });
}

VELMORA_BENCHMARK(plotFollowingFrameOfTwoSecondsOnScreen)
{
    measureFollowing(run, 2000);
}

VELMORA_BENCHMARK(plotFollowingFrameOfSixtySecondsOnScreen)
{
    measureFollowing(run, 60000);
}

// On screen, paused: the background comes from the pixmap the widget keeps.
VELMORA_BENCHMARK(plotPausedFrameOfSixtySecondsOnScreen)
{
    const SampleSeries series = liveSeries(70);
    PlotWidget plot;
    showLive(plot, series, 60000);
    plot.show();
    QCoreApplication::processEvents();
    run.measure([&] { plot.repaint(); });
}

VELMORA_BENCHMARK(plotSeriesAppendOfOneSecond)
{
    SampleSeries series = liveSeries(600); // full, so every append reuses a slot
    std::vector<qint16> second;
    for (qint64 i = 0; i < kTransientSampleRateHz; ++i)
        second.push_back(streamCode(i));
    run.measure([&] {
        for (const qint16 code : second)
            series.append(code);
        bench::keep(series);
    });
}

VELMORA_BENCHMARK(plotSeriesStatsOverSixtySeconds)
{
    const SampleSeries series = liveSeries(70);
    const qint64 from = series.end() - 60ll * kTransientSampleRateHz + 17;
    run.measure([&] { bench::keep(series.stats(from, series.end() - 5)); });
}

// What the live chart's recording costs the receive path: a second of samples handed over one by
// one at their place in the stream, into a full ten-minute history.
VELMORA_BENCHMARK(liveHistoryOfOneSecond)
{
    LiveHistory history(10, 0);
    std::vector<LiveSample> second(kTransientSampleRateHz);
    for (qint64 i = 0; i < qint64(second.size()); ++i)
        second[size_t(i)].value = SampleValue::valid(streamCode(i + 1) % 256);
    qint64 index = 0;
    const auto feed = [&] {
        for (LiveSample &sample : second) {
            sample.at.byte = quint64(2 * index);
            // Handled a millisecond after it was sent, as a port delivers it.
            history.add(
                sample, std::llround(double(index) * 1e9 / kTransientSampleRateHz) + 1'000'000);
            ++index;
        }
    };
    while (history.series().end() < kTenMinutes)
        feed();
    run.measure([&] {
        feed();
        bench::keep(history);
    });
}
