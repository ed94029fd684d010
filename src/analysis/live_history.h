// The live chart's history: the newest minutes of the continuous stream in a SampleSeries ring,
// each sample at its own place in time, so that where samples are missing the chart shows a gap
// rather than two stretches glued together.
//
// Within one run of the port (see StreamPosition) the stream is its own clock: a sample's index
// is where its read began, counted in pairs. A byte dropped to get back onto the pairs, a read
// that shows nothing, and with the CPU saver the samples a read holds after its first, all leave
// their places missing.
//
// Where the stream cannot tell, the monotonic clock the samples are handled by does:
//  - a new run (a Start, a reconnect) begins where the clock says, so the time the port was
//    closed is a gap;
//  - samples handled more than kLateMs behind the clock are held back. When the stream catches
//    up (the program was held up and the device kept the bytes) they go where the stream says.
//    When it stays late for kSettleMs (the device's buffer overran and lost bytes, or the drive
//    fell silent with the port open), the lateness it keeps is a gap, placed before the first
//    arrival that is no later than the rest (to within kJoinMs). Samples handled faster than
//    twice the line rate came in one arrival, which no gap splits.
// The clock is the earliest the stream has been handled at (samples cannot come in before they
// are sent), drawn back every kDriftWindowMs to the least late sample of that time, so that a
// drive whose crystal runs slow is followed without false gaps.
#pragma once

#include "analysis/sample_series.h"
#include "capture/sample_decoder.h"

#include <QDateTime>

#include <vector>

class LiveHistory
{
public:
    static constexpr int kDefaultMinutes = 10;
    static constexpr int kMinMinutes = 1;
    static constexpr int kMaxMinutes = 60;
    static constexpr qint64 kLateMs = 100;
    static constexpr qint64 kSettleMs = 300;
    static constexpr qint64 kJoinMs = 20;
    static constexpr qint64 kDriftWindowMs = 2'000;
    // At most this many samples wait for the clock; beyond, the lateness is taken as it stands.
    static constexpr qint64 kMaxHeld = 65536;

    // minutes outside kMinMinutes..kMaxMinutes gives kDefaultMinutes. wallMsAtZero is the wall
    // clock (ms since the epoch) when the monotonic clock given to add() and settle() read 0.
    LiveHistory(int minutes, qint64 wallMsAtZero);

    // A sample the session showed, handled at nowNs on the monotonic clock.
    void add(const LiveSample &sample, qint64 nowNs);
    // Places the held samples the clock has decided on by now; call it every frame or so.
    void settle(qint64 nowNs) { settle(nowNs, false); }

    const SampleSeries &series() const { return m_series; }
    int minutes() const { return m_minutes; }
    // Samples handed to add() so far.
    quint64 samplesTaken() const { return m_taken; }
    // Samples held back while the clock decides where they go; not in series() yet.
    qint64 heldCount() const { return qint64(m_held.size()); }
    // When the sample at index came in, in local time with the UTC offset of the moment.
    QDateTime timeOf(qint64 index) const;
    // What the history holds in memory: the ring, and what it keeps to place and time samples.
    qint64 memoryBytes() const
    {
        return m_series.memoryBytes() + qint64(m_held.capacity() * sizeof(Held))
            + qint64(m_anchors.capacity() * sizeof(Anchor));
    }

private:
    struct Held
    {
        qint64 index; // as the stream places it
        qint64 ns;
        qint64 lag; // samples behind the clock
        qint16 code;
    };
    // From fromIndex on, sample originIndex is taken to have come in at originNs.
    struct Anchor
    {
        qint64 fromIndex;
        qint64 originIndex;
        qint64 originNs;
    };

    void startRun(const StreamPosition &at, qint64 nowNs);
    void settle(qint64 nowNs, bool force);
    qint64 clockIndex(qint64 nowNs) const;
    void moveClock(qint64 index, qint64 ns, qint64 fromIndex);
    void noteOnTime(qint64 lag, qint64 nowNs);
    void place(qint64 index, qint16 code);
    void placeHeld(qsizetype count, qint64 shift);

    int m_minutes;
    qint64 m_wallMsAtZero;
    SampleSeries m_series;
    quint64 m_taken = 0;

    bool m_started = false;
    quint64 m_run = 0;
    qint64 m_base = 0; // the index of the run's byte 0, in pairs
    qint64 m_originIndex = 0;
    qint64 m_originNs = 0;
    qint64 m_windowStartNs = 0;
    qint64 m_windowMinLag = 0;
    std::vector<Held> m_held;
    std::vector<Anchor> m_anchors;
};
