// The figures of one transient for the person tuning the axis, and the statistics between the
// two chart cursors with their texts (the figures' texts come from the table in figure_table.h).
// Every figure is taken over the valid samples only: a missing or over-spin sample is skipped as if
// it were not there. It does not trigger, is no crossing, does not end a half-cycle, and neither
// breaks nor prolongs the settled stretch, while time runs on through it.
//
//   trigger     the first valid sample with |e| > 20; times count from it (or from sample 0).
//   peak        the largest |e|, the first one on a tie.
//   overshoot   after the peak, the largest |e| of the opposite sign (first on a tie), and
//               100 |overshoot| / |peak| %; none after a peak of 0 or when no such sample follows.
//   settling    from the trigger to the first valid sample after the last valid one outside
//               +-10 steps (+-10 itself is inside); "not settled" when the last valid sample is
//               outside; not given without a trigger.
//   ringing     walking the samples after the peak, up to the settling instant (not included;
//               to the last sample when not settled), with a sign state starting as the peak's
//               sign: a crossing is a sample <= -3 while the state is positive or >= +3 while it
//               is negative, and flips the state. With n >= 3 crossings c1..cn (ms):
//               f = (n - 1) * 1000 / (2 (cn - c1)) Hz. No ringing without a trigger.
//   damping     extremes Ak = the largest |e| from crossing k up to (not including) crossing
//               k + 1, k = 1..n-1 (the peak is not one: it may be the acceleration's, long
//               before the ring-down); delta = mean of ln(|Ak| / |Ak+1|);
//               zeta = delta / sqrt(pi^2 + delta^2), negative when the ringing grows. Needs two
//               extremes, so three crossings.
//   mean, RMS   of e; none without valid samples.
#pragma once

#include "analysis/sample_series.h"
#include "capture/transient_samples.h"

#include <QList>
#include <QString>

#include <optional>

// The drive's following-error limit: the first valid sample beyond it is the trigger.
inline constexpr int kTransientTriggerSteps = 20;

inline constexpr int kSettleBandSteps = 10;
inline constexpr int kRingThresholdSteps = 3;

struct TransientPoint
{
    int index = 0;
    int deviation = 0;
};

// Count, sum and sum of squares of a run of valid deviations.
struct SampleMoments
{
    qint64 count = 0;
    qint64 sum = 0;
    qint64 sumOfSquares = 0;

    void add(int deviation);
    std::optional<double> mean() const;
    std::optional<double> rms() const;
};

enum class Settling {
    NoTrigger,
    NotSettled,
    Settled,
};

struct TransientFigures
{
    std::optional<TransientPoint> trigger;
    std::optional<TransientPoint> peak;
    std::optional<TransientPoint> overshoot;
    std::optional<double> overshootPercent;
    Settling settling = Settling::NoTrigger;
    std::optional<int> settleIndex; // the first sample of the settled stretch
    std::optional<double> settleMs;
    QList<int> crossings; // sample indices c1..cn
    QList<TransientPoint> extremes; // A1 .. An-1
    std::optional<double> ringHz;
    std::optional<double> damping; // zeta
    SampleMoments moments;
    std::optional<double> meanSteps;
    std::optional<double> rmsSteps;
    int validCount = 0;
    int overSpinCount = 0;
    int missingCount = 0;

    int timeOrigin() const { return trigger ? trigger->index : 0; }
    double timeMs(int index) const { return transientTimeMs(index, timeOrigin()); }
};

TransientFigures transientFigures(const QList<TransientSample> &samples);

// The first valid sample with |e| > 20; none when no sample goes beyond the limit.
std::optional<int> transientTrigger(const QList<TransientSample> &samples);
// Times are counted from the trigger, or from the first sample when there is none.
inline int transientTimeOrigin(std::optional<int> triggerIndex)
{
    return triggerIndex.value_or(0);
}

// What the two chart cursors read. Each cursor snaps to the sample nearest its time (clamped to
// the capture); the statistics run over the valid samples from one cursor to the other, both
// ends included, whichever of the two is left.
struct CursorStatistics
{
    qint64 timeOrigin = 0;
    qint64 indexA = 0;
    qint64 indexB = 0;
    double tAms = 0;
    double tBms = 0;
    double deltaTms = 0; // tB - tA
    std::optional<double> inverseDeltaTHz; // 1000 / |dt|; none with both cursors on one sample
    std::optional<int> eA; // none when the cursor's sample is not valid
    std::optional<int> eB;
    std::optional<int> deltaE; // e(B) - e(A)
    std::optional<int> min;
    std::optional<int> max;
    SampleMoments moments;
    std::optional<double> meanSteps;
    std::optional<double> rmsSteps;
};

CursorStatistics cursorStatistics(
    const QList<TransientSample> &samples, int timeOrigin, double tAms, double tBms);
// The same over what a series keeps, times counted from sample timeOrigin.
CursorStatistics cursorStatistics(
    const SampleSeries &series, qint64 timeOrigin, double tAms, double tBms);

struct CursorTexts
{
    QString tA; // "12.847 ms"
    QString tB;
    QString deltaT; // "-1.736 ms"
    QString inverseDeltaT; // "576.0 Hz"
    QString eA; // "+12 steps"
    QString eB;
    QString deltaE;
    QString min;
    QString max;
    QString mean; // "1.23 steps"
    QString rms;
};

CursorTexts cursorTexts(const CursorStatistics &statistics);

// The statistics of a stretch of samples as the live chart shows them.
struct RangeTexts
{
    QString mean; // "1.23 steps"
    QString rms;
    QString min; // "+37 steps"
    QString max;
    QString peakToPeak; // "74 steps": a size, so no sign
    QString overSpin; // "3"
    QString samples; // "11520 / 0": valid, then missing
};

RangeTexts rangeTexts(const RangeStats &stats);
