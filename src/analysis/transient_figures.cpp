// The figures of one transient, the cursor statistics, and their texts.
#include "analysis/transient_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

qint64 powerOfTen(int decimals)
{
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

// A rounded value held as an integer count of 10^-decimals.
QString scaledText(qint64 scaled, int decimals)
{
    const qint64 scale = powerOfTen(decimals);
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    QString text = scaled < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / scale);
    if (decimals > 0) {
        text += QLatin1Char('.');
        text += QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    }
    return text;
}

// Appends unit to a number text, or gives the none text for an empty one.
QString withUnit(const QString &number, const char *unit)
{
    return number.isEmpty() ? noFigureText() : number + QLatin1String(unit);
}

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

    // Overshoot, and the ringing walk with its crossings (as list positions).
    QList<qsizetype> crossingAt;
    int state = peak.deviation < 0 ? -1 : 1;
    qsizetype overshootAt = -1;
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
        if ((state > 0 && s.deviation <= -kRingThresholdSteps)
            || (state < 0 && s.deviation >= kRingThresholdSteps)) {
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

    f.extremes.append(*f.peak);
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
                f.settling = Settling::Settled;
                f.settleIndex = samples.at(i).index;
                f.settleMs = transientTimeMs(*f.settleIndex, f.trigger->index);
                break;
            }
        }
    }
    return f;
}

QString noFigureText()
{
    return QString(QChar(0x2014));
}

QString decimalText(qint64 numerator, qint64 denominator, int decimals)
{
    if (denominator == 0)
        return QString();
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    const qint64 scaled = numerator * powerOfTen(decimals);
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    const qint64 rounded = (2 * magnitude + denominator) / (2 * denominator);
    return scaledText(scaled < 0 ? -rounded : rounded, decimals);
}

QString decimalText(double value, int decimals)
{
    const double scaled = value * double(powerOfTen(decimals));
    if (!(std::abs(scaled) < 1e18)) // NaN and infinities included
        return QString();
    return scaledText(std::llround(scaled), decimals);
}

QString timeMsText(int sampleDelta)
{
    return decimalText(qint64(sampleDelta) * 1000, kTransientSampleRateHz, 3);
}

QString stepsText(int deviation)
{
    return (deviation > 0 ? QStringLiteral("+") : QString()) + QString::number(deviation)
        + QStringLiteral(" steps");
}

TransientFigureNumbers transientFigureNumbers(const TransientFigures &f)
{
    TransientFigureNumbers t;
    const int origin = f.timeOrigin();
    if (f.trigger)
        t.triggerIndex = QString::number(f.trigger->index);
    if (f.peak) {
        t.peakSteps = QString::number(f.peak->deviation);
        t.peakMs = timeMsText(f.peak->index - origin);
    }
    if (f.overshoot) {
        t.overshootSteps = QString::number(f.overshoot->deviation);
        t.overshootPercent = decimalText(
            100 * qint64(std::abs(f.overshoot->deviation)), std::abs(f.peak->deviation), 1);
    }
    if (f.settleIndex)
        t.settleMs = timeMsText(*f.settleIndex - origin);
    if (f.ringHz) {
        const qint64 crossings = f.crossings.size();
        t.ringHz = decimalText((crossings - 1) * kTransientSampleRateHz,
            2 * qint64(f.crossings.last() - f.crossings.first()), 1);
    }
    if (f.damping)
        t.damping = decimalText(*f.damping, 3);
    if (f.moments.count > 0) {
        t.meanSteps = decimalText(f.moments.sum, f.moments.count, 2);
        t.rmsSteps = decimalText(*f.rmsSteps, 2);
    }
    t.overSpinSamples = QString::number(f.overSpinCount);
    t.validSamples = QString::number(f.validCount);
    t.missingSamples = QString::number(f.missingCount);
    return t;
}

TransientFigureTexts transientFigureTexts(const TransientFigures &f)
{
    const TransientFigureNumbers numbers = transientFigureNumbers(f);
    TransientFigureTexts t;
    t.trigger = f.trigger
        ? QStringLiteral("sample %1, %2").arg(numbers.triggerIndex, stepsText(f.trigger->deviation))
        : noFigureText();
    t.peak = f.peak ? stepsText(f.peak->deviation) : noFigureText();
    t.peakTime = withUnit(numbers.peakMs, " ms");
    t.overshoot = f.overshoot
        ? QStringLiteral("%1 (%2 %) at %3 ms")
              .arg(stepsText(f.overshoot->deviation), numbers.overshootPercent,
                  timeMsText(f.overshoot->index - f.timeOrigin()))
        : noFigureText();
    t.settle = f.settling == Settling::NotSettled ? QStringLiteral("not settled")
                                                  : withUnit(numbers.settleMs, " ms");
    t.ring = withUnit(numbers.ringHz, " Hz");
    t.damping = withUnit(numbers.damping, "");
    t.mean = withUnit(numbers.meanSteps, " steps");
    t.rms = withUnit(numbers.rmsSteps, " steps");
    t.overSpin = numbers.overSpinSamples;
    t.samples
        = QStringLiteral("%1 valid, %2 missing").arg(numbers.validSamples, numbers.missingSamples);
    return t;
}

QString transientFiguresClipboardText(const TransientFigureTexts &t)
{
    const std::pair<const char *, const QString *> lines[] = {
        { "Trigger", &t.trigger },
        { "Peak", &t.peak },
        { "Peak time", &t.peakTime },
        { "Overshoot", &t.overshoot },
        { "Settling time", &t.settle },
        { "Ringing frequency", &t.ring },
        { "Damping ratio", &t.damping },
        { "Mean", &t.mean },
        { "RMS", &t.rms },
        { "Over-spin samples", &t.overSpin },
        { "Samples", &t.samples },
    };
    QString text;
    for (const auto &[caption, value] : lines)
        text += QLatin1String(caption) + QStringLiteral(": ") + *value + QLatin1Char('\n');
    return text;
}

CursorStatistics cursorStatistics(
    const QList<TransientSample> &samples, int timeOrigin, double tAms, double tBms)
{
    CursorStatistics c;
    c.timeOrigin = timeOrigin;
    if (samples.isEmpty())
        return c;
    const qsizetype last = samples.size() - 1;
    const auto snap = [&](double t) {
        const double at = timeOrigin + t / kTransientSamplePeriodMs;
        if (!(at > 0)) // NaN included
            return qsizetype(0);
        return at >= double(last) ? last : qsizetype(std::llround(at));
    };
    const qsizetype a = snap(tAms);
    const qsizetype b = snap(tBms);
    const TransientSample &sa = samples.at(a);
    const TransientSample &sb = samples.at(b);
    c.indexA = sa.index;
    c.indexB = sb.index;
    c.tAms = transientTimeMs(c.indexA, timeOrigin);
    c.tBms = transientTimeMs(c.indexB, timeOrigin);
    c.deltaTms = transientTimeMs(c.indexB, c.indexA);
    if (c.indexA != c.indexB)
        c.inverseDeltaTHz = 1000.0 / std::abs(c.deltaTms);
    if (sa.isValid())
        c.eA = sa.deviation;
    if (sb.isValid())
        c.eB = sb.deviation;
    if (c.eA && c.eB)
        c.deltaE = *c.eB - *c.eA;
    for (qsizetype i = std::min(a, b); i <= std::max(a, b); ++i) {
        const TransientSample &s = samples.at(i);
        if (!s.isValid())
            continue;
        c.moments.add(s.deviation);
        c.min = c.min ? std::min(*c.min, s.deviation) : s.deviation;
        c.max = c.max ? std::max(*c.max, s.deviation) : s.deviation;
    }
    c.meanSteps = c.moments.mean();
    c.rmsSteps = c.moments.rms();
    return c;
}

CursorTexts cursorTexts(const CursorStatistics &c)
{
    const auto steps
        = [](const std::optional<int> &e) { return e ? stepsText(*e) : noFigureText(); };
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
    t.mean = c.moments.count > 0
        ? decimalText(c.moments.sum, c.moments.count, 2) + QStringLiteral(" steps")
        : noFigureText();
    t.rms = withUnit(c.rmsSteps ? decimalText(*c.rmsSteps, 2) : QString(), " steps");
    return t;
}
