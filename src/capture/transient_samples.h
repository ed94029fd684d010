// A captured transient as samples: which byte phase the pairs run in, what each pair means, and
// the time of each sample. The figures, the chart and the files all start from these samples.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// The drive sends a pair every 2 bytes at 11 520 bytes/s.
inline constexpr int kTransientSampleRateHz = 5760;
inline constexpr double kTransientSamplePeriodMs = 1000.0 / kTransientSampleRateHz;
// A capture is 4100 bytes, so it holds at most 2050 pairs.
inline constexpr int kTransientCaptureBytes = 4100;
inline constexpr int kTransientMaxSamples = kTransientCaptureBytes / 2;
// The drive's following-error limit: the first valid sample beyond it is the trigger.
inline constexpr int kTransientTriggerSteps = 20;

enum class SampleKind {
    Valid, // a deviation in steps, -255..255
    OverSpin, // (129, 0): the drive signals over-spin and carries no deviation
    Missing, // the pair does not start with a marker (unfilled zeros included)
};

struct TransientSample
{
    int index = 0; // position in the capture; runs on through missing samples
    SampleKind kind = SampleKind::Missing;
    int deviation = 0; // steps; 0 unless kind is Valid

    bool isValid() const { return kind == SampleKind::Valid; }
    friend bool operator==(const TransientSample &a, const TransientSample &b)
    {
        return a.index == b.index && a.kind == b.kind && a.deviation == b.deviation;
    }
    friend bool operator!=(const TransientSample &a, const TransientSample &b) { return !(a == b); }
};

// One capture with what is known of where and when it came from. Samples are indexed 0, 1, 2...
// in list order.
struct TransientCapture
{
    QDateTime capturedAt;
    int port = 0; // the port list's number: Comm 1..255
    QString device; // what the port named: a device path or a built-in device such as "sim"
    QList<TransientSample> samples;
};

// The pairs start at byte 0 or byte 1, whichever phase has more pairs starting with a marker;
// byte 0 on a tie. Pairs are taken in steps of two while both their bytes lie within count, so a
// capture of 4100 bytes gives 2050 samples in phase 0 and 2049 in phase 1. For the capture
// buffer, whose bytes 1..4100 hold the capture, pass (buffer.data() + 1, 4100).
QList<TransientSample> transientSamples(const quint8 *bytes, int count);

// 0 or 1: the byte the pairs start at, as transientSamples() chooses it.
int transientPhase(const quint8 *bytes, int count);

// The first valid sample with |e| > 20; none when no sample goes beyond the limit.
std::optional<int> transientTrigger(const QList<TransientSample> &samples);

// Times are counted from the trigger, or from the first sample when there is none.
inline int transientTimeOrigin(std::optional<int> triggerIndex)
{
    return triggerIndex.value_or(0);
}

inline double transientTimeMs(int index, int origin)
{
    return (index - origin) * kTransientSamplePeriodMs;
}
