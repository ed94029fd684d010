// The figures of one transient, the cursor statistics, and their texts.
#include "analysis/transient_figures.h"

#include "analysis/figure_number.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

} // namespace

void SampleMoments::add(int deviation)
{
    ++count;
    sum += deviation;
    sumOfSquares += qint64(deviation) * deviation;
}

std::optional<double> SampleMoments::mean() const
{
    if (count == 0)
        return std::nullopt;
    return double(sum) / count;
}

std::optional<double> SampleMoments::rms() const
{
    if (count == 0)
        return std::nullopt;
    return std::sqrt(double(sumOfSquares) / count);
}

TransientFigures transientFigures(const QList<TransientSample> &samples)
{
    TransientFigures f;
    const qsizetype n = samples.size();
    qsizetype peakAt = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const TransientSample &s = samples.at(i);
        if (s.kind == SampleKind::Missing) {
            ++f.missingCount;
            continue;
        }
        if (s.kind == SampleKind::OverSpin) {
            ++f.overSpinCount;
            continue;
        }
        ++f.validCount;
        f.moments.add(s.deviation);
        const int magnitude = std::abs(s.deviation);
        if (!f.trigger && magnitude > kTransientTriggerSteps)
            f.trigger = TransientPoint { s.index, s.deviation };
        if (peakAt < 0 || magnitude > std::abs(samples.at(peakAt).deviation))
            peakAt = i;
    }
    f.meanSteps = f.moments.mean();
    f.rmsSteps = f.moments.rms();
    if (peakAt < 0)
        return f;
    const TransientSample &peak = samples.at(peakAt);
    f.peak = TransientPoint { peak.index, peak.deviation };

    // Settling first: the ringing is measured on the ring-down before it.
    qsizetype settleAt = n; // list position of the settled stretch's first sample
    if (f.trigger) {
        qsizetype lastOutside = -1;
        for (qsizetype i = 0; i < n; ++i) {
            const TransientSample &s = samples.at(i);
            if (s.isValid() && std::abs(s.deviation) > kSettleBandSteps)
                lastOutside = i;
        }
        f.settling = Settling::NotSettled;
        for (qsizetype i = lastOutside + 1; i < n; ++i) {
            if (samples.at(i).isValid()) {
                settleAt = i;
                f.settling = Settling::Settled;
                f.settleIndex = samples.at(i).index;
                f.settleMs = transientTimeMs(*f.settleIndex, f.trigger->index);
                break;
            }
        }
    }

    // Overshoot over everything after the peak; the ringing walk (crossings as list positions)
    // only up to the settling instant, so encoder noise on a settled axis is no ringing.
    QList<qsizetype> crossingAt;
    int state = peak.deviation < 0 ? -1 : 1;
    qsizetype overshootAt = -1;
    const qsizetype ringEnd = f.trigger ? settleAt : peakAt;
    for (qsizetype i = peakAt + 1; i < n; ++i) {
        const TransientSample &s = samples.at(i);
        if (!s.isValid())
            continue;
        const bool opposite
            = (peak.deviation > 0 && s.deviation < 0) || (peak.deviation < 0 && s.deviation > 0);
        if (opposite
            && (overshootAt < 0
                || std::abs(s.deviation) > std::abs(samples.at(overshootAt).deviation)))
            overshootAt = i;
        if (i < ringEnd
            && ((state > 0 && s.deviation <= -kRingThresholdSteps)
                || (state < 0 && s.deviation >= kRingThresholdSteps))) {
            crossingAt.append(i);
            state = -state;
        }
    }
    if (overshootAt >= 0) {
        const TransientSample &o = samples.at(overshootAt);
        f.overshoot = TransientPoint { o.index, o.deviation };
        f.overshootPercent = 100.0 * std::abs(o.deviation) / std::abs(peak.deviation);
    }

    for (qsizetype at : crossingAt)
        f.crossings.append(samples.at(at).index);
    const qsizetype crossingCount = crossingAt.size();
    if (crossingCount >= 3) {
        const int span = f.crossings.last() - f.crossings.first();
        f.ringHz = double(crossingCount - 1) * kTransientSampleRateHz / (2.0 * span);
    }

    // One extreme per half-cycle between two crossings; the peak, which may be the
    // acceleration's long before the ring-down, is not one of them.
    for (qsizetype k = 0; k + 1 < crossingCount; ++k) {
        qsizetype extremeAt = crossingAt.at(k);
        for (qsizetype i = crossingAt.at(k); i < crossingAt.at(k + 1); ++i) {
            const TransientSample &s = samples.at(i);
            if (s.isValid() && std::abs(s.deviation) > std::abs(samples.at(extremeAt).deviation))
                extremeAt = i;
        }
        f.extremes.append(
            TransientPoint { samples.at(extremeAt).index, samples.at(extremeAt).deviation });
    }
    if (f.extremes.size() >= 2) {
        // Every extreme is at least the crossing threshold in size, so no ratio is 0 or infinite.
        double decrements = 0;
        for (qsizetype k = 0; k + 1 < f.extremes.size(); ++k)
            decrements += std::log(double(std::abs(f.extremes.at(k).deviation))
                / std::abs(f.extremes.at(k + 1).deviation));
        const double delta = decrements / double(f.extremes.size() - 1);
        f.damping = delta / std::sqrt(kPi * kPi + delta * delta);
    }
    return f;
}

std::optional<int> transientTrigger(const QList<TransientSample> &samples)
{
    for (const TransientSample &sample : samples) {
        if (sample.isValid() && std::abs(sample.deviation) > kTransientTriggerSteps)
            return sample.index;
    }
    return std::nullopt;
}

CursorStatistics cursorStatistics(
    const QList<TransientSample> &samples, int timeOrigin, double tAms, double tBms)
{
    return cursorStatistics(SampleSeries::fromSamples(samples), timeOrigin, tAms, tBms);
}

CursorStatistics cursorStatistics(
    const SampleSeries &series, qint64 timeOrigin, double tAms, double tBms)
{
    CursorStatistics c;
    c.timeOrigin = timeOrigin;
    if (series.isEmpty())
        return c;
    const qint64 first = series.begin();
    const qint64 last = series.end() - 1;
    const auto snap = [&](double t) {
        const double at = double(timeOrigin) + t / kTransientSamplePeriodMs;
        if (!(at > double(first))) // NaN included
            return first;
        return at >= double(last) ? last : qint64(std::llround(at));
    };
    c.indexA = snap(tAms);
    c.indexB = snap(tBms);
    const auto ms = [](qint64 samples) { return double(samples) * kTransientSamplePeriodMs; };
    c.tAms = ms(c.indexA - timeOrigin);
    c.tBms = ms(c.indexB - timeOrigin);
    c.deltaTms = ms(c.indexB - c.indexA);
    if (c.indexA != c.indexB)
        c.inverseDeltaTHz = 1000.0 / std::abs(c.deltaTms);
    const auto deviation = [&](qint64 index) -> std::optional<int> {
        const qint16 code = series.at(index);
        if (code == SampleSeries::kMissing || code == SampleSeries::kOverSpin)
            return std::nullopt;
        return code;
    };
    c.eA = deviation(c.indexA);
    c.eB = deviation(c.indexB);
    if (c.eA && c.eB)
        c.deltaE = *c.eB - *c.eA;
    const RangeStats between
        = series.stats(std::min(c.indexA, c.indexB), std::max(c.indexA, c.indexB) + 1);
    c.min = between.min;
    c.max = between.max;
    c.moments.count = between.valid;
    c.moments.sum = between.sum;
    c.moments.sumOfSquares = between.sumOfSquares;
    c.meanSteps = c.moments.mean();
    c.rmsSteps = c.moments.rms();
    return c;
}

namespace {

QString meanText(qint64 sum, qint64 count)
{
    return count > 0 ? decimalText(sum, count, 2) + QStringLiteral(" steps") : noFigureText();
}

QString rmsText(const std::optional<double> &rms)
{
    return rms ? decimalText(*rms, 2) + QStringLiteral(" steps") : noFigureText();
}

QString stepsOrNone(const std::optional<int> &e)
{
    return e ? stepsText(*e) : noFigureText();
}

} // namespace

CursorTexts cursorTexts(const CursorStatistics &c)
{
    const auto steps = stepsOrNone;
    CursorTexts t;
    t.tA = timeMsText(c.indexA - c.timeOrigin) + QStringLiteral(" ms");
    t.tB = timeMsText(c.indexB - c.timeOrigin) + QStringLiteral(" ms");
    t.deltaT = timeMsText(c.indexB - c.indexA) + QStringLiteral(" ms");
    t.inverseDeltaT = c.inverseDeltaTHz
        ? decimalText(kTransientSampleRateHz, std::abs(c.indexB - c.indexA), 1)
            + QStringLiteral(" Hz")
        : noFigureText();
    t.eA = steps(c.eA);
    t.eB = steps(c.eB);
    t.deltaE = steps(c.deltaE);
    t.min = steps(c.min);
    t.max = steps(c.max);
    t.mean = meanText(c.moments.sum, c.moments.count);
    t.rms = rmsText(c.rmsSteps);
    return t;
}

RangeTexts rangeTexts(const RangeStats &stats)
{
    RangeTexts t;
    t.mean = meanText(stats.sum, stats.valid);
    t.rms = rmsText(stats.rms());
    t.min = stepsOrNone(stats.min);
    t.max = stepsOrNone(stats.max);
    t.peakToPeak = stats.min && stats.max
        ? QString::number(*stats.max - *stats.min) + QStringLiteral(" steps")
        : noFigureText();
    t.overSpin = QString::number(stats.overSpin);
    t.samples = QStringLiteral("%1 / %2").arg(stats.valid).arg(stats.missing);
    return t;
}
