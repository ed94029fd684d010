// The table of figures.
#include "analysis/figure_table.h"

#include <cstdlib>

namespace {

using Figures = TransientFigures;
using Value = std::optional<FigureNumber>;

// Time of a sample from the capture's time origin, as an exact ratio.
FigureNumber msFromOrigin(const Figures &f, int index)
{
    return FigureNumber::ratio(qint64(index - f.timeOrigin()) * 1000, kTransientSampleRateHz);
}

Value triggerIndex(const Figures &f)
{
    return f.trigger ? Value(FigureNumber::whole(f.trigger->index)) : std::nullopt;
}

Value peakSteps(const Figures &f)
{
    return f.peak ? Value(FigureNumber::whole(f.peak->deviation)) : std::nullopt;
}

Value peakMs(const Figures &f)
{
    return f.peak ? Value(msFromOrigin(f, f.peak->index)) : std::nullopt;
}

Value overshootSteps(const Figures &f)
{
    return f.overshoot ? Value(FigureNumber::whole(f.overshoot->deviation)) : std::nullopt;
}

Value overshootPercent(const Figures &f)
{
    if (!f.overshoot)
        return std::nullopt;
    return FigureNumber::ratio(
        100 * qint64(std::abs(f.overshoot->deviation)), std::abs(f.peak->deviation));
}

Value settleMs(const Figures &f)
{
    return f.settleIndex ? Value(msFromOrigin(f, *f.settleIndex)) : std::nullopt;
}

Value ringHz(const Figures &f)
{
    if (!f.ringHz)
        return std::nullopt;
    return FigureNumber::ratio(qint64(f.crossings.size() - 1) * kTransientSampleRateHz,
        2 * qint64(f.crossings.last() - f.crossings.first()));
}

Value damping(const Figures &f)
{
    return f.damping ? Value(FigureNumber::real(*f.damping)) : std::nullopt;
}

Value meanSteps(const Figures &f)
{
    if (f.moments.count == 0)
        return std::nullopt;
    return FigureNumber::ratio(f.moments.sum, f.moments.count);
}

Value rmsSteps(const Figures &f)
{
    return f.rmsSteps ? Value(FigureNumber::real(*f.rmsSteps)) : std::nullopt;
}

Value overSpinSamples(const Figures &f)
{
    return FigureNumber::whole(f.overSpinCount);
}

Value validSamples(const Figures &f)
{
    return FigureNumber::whole(f.validCount);
}

Value missingSamples(const Figures &f)
{
    return FigureNumber::whole(f.missingCount);
}

QString showTrigger(const Figures &f)
{
    return QStringLiteral("sample %1, %2")
        .arg(f.trigger->index)
        .arg(stepsText(f.trigger->deviation));
}

QString showPeak(const Figures &f)
{
    return stepsText(f.peak->deviation);
}

QString showOvershoot(const Figures &f)
{
    return QStringLiteral("%1 (%2 %) at %3 ms")
        .arg(stepsText(f.overshoot->deviation), overshootPercent(f)->text(1),
            timeMsText(f.overshoot->index - f.timeOrigin()));
}

QString showSamples(const Figures &f)
{
    return QStringLiteral("%1 valid, %2 missing").arg(f.validCount).arg(f.missingCount);
}

QString unsettled(const Figures &f)
{
    return f.settling == Settling::NotSettled ? QStringLiteral("not settled") : noFigureText();
}

const QList<FigureColumn> kColumns = {
    { "trigger_index", "trigger", "Trigger",
        "The first valid sample beyond 20 steps either way (the drive's limit). Times count from "
        "it; without one they count from the first sample and no settling time is given.",
        nullptr, "", 0, triggerIndex, showTrigger },
    { "peak_steps", "peak", "Peak",
        "The sample with the largest |e|, the first of equals, with its sign.", "Peak\n(steps)",
        "steps", 0, peakSteps, showPeak, nullptr, FigureComparison::SizeAndShare },
    { "peak_ms", "peakTime", "Peak time", "When the peak came, from the trigger.", "Peak\n(ms)",
        "ms", 3, peakMs },
    { "overshoot_steps", "overshoot", "Overshoot",
        "After the peak, the sample of the opposite sign with the largest |e| (the first of "
        "equals): its value, 100 \u00b7 |overshoot| / |peak| %, and its time. None when no such "
        "sample follows.",
        "Overshoot\n(steps)", "steps", 0, overshootSteps, showOvershoot, nullptr,
        FigureComparison::SizeAndShare },
    { "overshoot_pct", nullptr, nullptr, nullptr, "Overshoot\n(%)", "%", 1, overshootPercent },
    { "settle_ms", "settle", "Settling time",
        "From the trigger to the first sample from which every later valid sample stays within "
        "\u00b110 steps (the dashed band; \u00b110 itself is inside). \"not settled\" when the "
        "last valid sample is outside the band.",
        "Settling\n(ms)", "ms", 3, settleMs, nullptr, unsettled, FigureComparison::ValueAndShare },
    { "ring_hz", "ring", "Ringing frequency",
        "The ring-down only: walking on from the peak up to the settling instant (to the last "
        "sample when the capture does not settle), with a sign state that starts as the peak's "
        "sign, a crossing is a sample at or below \u22123 steps while the state is positive, or "
        "at or above +3 while it is negative; each crossing flips the state. With n \u2265 3 "
        "crossings at times c1 \u2026 cn: f = (n \u2212 1) \u00b7 1000 / (2 \u00b7 (cn "
        "\u2212 c1)) Hz, times in ms. None without a trigger.",
        "Ringing\n(Hz)", "Hz", 1, ringHz, nullptr, nullptr, FigureComparison::Value },
    { "damping", "damping", "Damping ratio \u03b6",
        "Half-cycle extremes of the ring-down: Ak is the largest |e| from crossing k up to (not "
        "including) crossing k + 1, k = 1 \u2026 n \u2212 1; the peak is not one. \u03b4 is "
        "the mean of ln(|Ak| / |Ak+1|) over the consecutive pairs, \u03b6 = \u03b4 / "
        "\u221a(\u03c0\u00b2 + \u03b4\u00b2), negative when the ringing grows. None with "
        "fewer than two extremes (three crossings).",
        "Damping\n\u03b6", "", 3, damping, nullptr, nullptr, FigureComparison::Value },
    { "mean_steps", "mean", "Mean", "The mean of e over the valid samples.", "Mean\n(steps)",
        "steps", 2, meanSteps, nullptr, nullptr, FigureComparison::Value },
    { "rms_steps", "rms", "RMS", "The root mean square of e over the valid samples.",
        "RMS\n(steps)", "steps", 2, rmsSteps, nullptr, nullptr, FigureComparison::Value },
    { "over_spin_samples", "overSpin", "Over-spin samples",
        "Samples in which the drive signalled over-spin; they carry no deviation.",
        "Over-spin\nsamples", "", 0, overSpinSamples },
    { "valid_samples", "samples", "Samples",
        "Samples with a deviation, and pairs that did not start with a marker byte.", nullptr, "",
        0, validSamples, showSamples },
    { "missing_samples", nullptr, nullptr, nullptr, nullptr, "", 0, missingSamples },
};

} // namespace

const QList<FigureColumn> &figureColumns()
{
    return kColumns;
}

QList<const FigureColumn *> figureRows()
{
    QList<const FigureColumn *> rows;
    for (const FigureColumn &column : kColumns) {
        if (column.figure)
            rows.append(&column);
    }
    return rows;
}

QString figureNumberText(const FigureColumn &column, const TransientFigures &figures)
{
    const Value value = column.value(figures);
    return value ? value->text(column.decimals) : QString();
}

QString figureCellText(const FigureColumn &column, const TransientFigures &figures)
{
    const QString text = figureNumberText(column, figures);
    if (!text.isEmpty())
        return text;
    return column.none ? column.none(figures) : noFigureText();
}

QString figureDisplayText(const FigureColumn &figure, const TransientFigures &figures)
{
    if (!figure.value(figures))
        return figure.none ? figure.none(figures) : noFigureText();
    if (figure.display)
        return figure.display(figures);
    const QString unit = QLatin1String(figure.unit);
    return figureNumberText(figure, figures)
        + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
}

QString figureChangeText(
    const FigureColumn &column, const TransientFigures &shown, const TransientFigures &reference)
{
    if (column.comparison == FigureComparison::None)
        return QString();
    Value after = column.value(shown);
    Value before = column.value(reference);
    if (!after || !before)
        return noFigureText();
    if (column.comparison == FigureComparison::SizeAndShare) {
        // A peak of -160 against one of +150 is 10 steps larger, whichever way the axis moved.
        const auto size = [](const FigureNumber &n) {
            return n.toDouble() < 0 ? FigureNumber::whole(0).minus(n) : n;
        };
        after = size(*after);
        before = size(*before);
    }
    // A sign on every change but one that rounds to nothing.
    const auto signedText = [](const FigureNumber &n, int decimals) {
        const QString text = n.text(decimals);
        const bool zero = QString(text).remove(QLatin1Char('0')).remove(QLatin1Char('.')).isEmpty();
        return text.startsWith(QLatin1Char('-')) || zero ? text : QLatin1Char('+') + text;
    };
    const FigureNumber change = after->minus(*before);
    const QString unit = QLatin1String(column.unit);
    QString text = signedText(change, column.decimals)
        + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
    if (column.comparison != FigureComparison::Value) {
        if (const std::optional<FigureNumber> share = change.percentOf(*before))
            text += QStringLiteral(" (%1 %)").arg(signedText(*share, 1));
    }
    return text;
}

QString figureBriefDefinition(const FigureColumn &figure)
{
    const QString definition = QString::fromUtf8(figure.definition);
    const qsizetype end = definition.indexOf(QLatin1String(". "));
    return end < 0 ? definition : definition.left(end + 1);
}

QString figureRoundingNote()
{
    return QStringLiteral("Rounded for display only, half away from zero: times to 0.001 ms, "
                          "frequency to 0.1 Hz, \u03b6 to 0.001, percent to 0.1, mean and RMS to "
                          "0.01 steps. The files carry the same rounding.");
}

QString figureSamplingNote()
{
    return QStringLiteral(
        "The drive sends one sample every 2 bytes at 11 520 bytes/s: one every 1000/5760 ms "
        "(0.174 ms). Only valid samples count in the figures; missing and over-spin samples are "
        "passed over while time runs on through them, and the chart's line bridges them.");
}
