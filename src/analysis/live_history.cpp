// The live chart's history and the clock that places its samples; see the header.
#include "analysis/live_history.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
constexpr double kSamplesPerNs = kTransientSampleRateHz / 1e9;

constexpr qint64 samplesIn(qint64 ms)
{
    return ms * kTransientSampleRateHz / 1000;
}

constexpr qint64 kLateSamples = samplesIn(LiveHistory::kLateMs);
constexpr qint64 kJoinSamples = samplesIn(LiveHistory::kJoinMs);
// A change of the clock smaller than this keeps the wall-clock times as they were.
constexpr qint64 kAnchorSamples = samplesIn(1);
// At most one anchor begins in this many samples: a stream far faster than the line moves the
// clock on every read, and an anchor each time would cost more than the samples themselves.
constexpr qint64 kAnchorSpacing = samplesIn(100);
constexpr qint64 kNoLag = std::numeric_limits<qint64>::max();

int checkedMinutes(int minutes)
{
    return minutes >= LiveHistory::kMinMinutes && minutes <= LiveHistory::kMaxMinutes
        ? minutes
        : LiveHistory::kDefaultMinutes;
}

qint16 codeOf(const SampleValue &value)
{
    if (value.isOverSpin())
        return SampleSeries::kOverSpin;
    return value.isValid() ? qint16(value.deviation) : SampleSeries::kMissing;
}

} // namespace

LiveHistory::LiveHistory(int minutes, qint64 wallMsAtZero)
    : m_minutes(checkedMinutes(minutes))
    , m_wallMsAtZero(wallMsAtZero)
    , m_series(qint64(m_minutes) * 60 * kTransientSampleRateHz)
{
}

void LiveHistory::add(const LiveSample &sample, qint64 nowNs)
{
    ++m_taken;
    if (!m_started || sample.at.run != m_run)
        startRun(sample.at, nowNs);
    const qint64 index = m_base + qint64(sample.at.byte / 2);
    const qint16 code = codeOf(sample.value);
    qint64 lag = clockIndex(nowNs) - index;
    if (lag < 0) {
        // Handled before the clock says it was sent: the clock was behind, not the stream.
        moveClock(index, nowNs, index);
        lag = 0;
    }
    if (m_held.empty() && lag <= kLateSamples) {
        place(index, code);
        noteOnTime(lag, nowNs);
        return;
    }
    m_held.push_back({ index, nowNs, lag, code });
    settle(nowNs, false);
}

void LiveHistory::startRun(const StreamPosition &at, qint64 nowNs)
{
    settle(nowNs, true);
    const qint64 first = m_started ? std::max(m_series.end(), clockIndex(nowNs)) : 0;
    m_base = first - qint64(at.byte / 2);
    if (!m_started)
        moveClock(first, nowNs, first);
    m_started = true;
    m_run = at.run;
    m_windowStartNs = nowNs;
    m_windowMinLag = kNoLag;
}

void LiveHistory::settle(qint64 nowNs, bool force)
{
    if (m_held.empty())
        return;
    // Caught up: what came late came whole.
    const auto onTime = std::find_if(
        m_held.rbegin(), m_held.rend(), [](const Held &h) { return h.lag <= kLateSamples; });
    if (onTime != m_held.rend()) {
        placeHeld(m_held.rend() - onTime, 0);
        if (m_held.empty())
            return;
    }
    if (!force && nowNs - m_held.front().ns < kSettleMs * kNsPerMs
        && qint64(m_held.size()) < kMaxHeld)
        return;

    // Still late: the lateness the stream keeps is what it lost. The late stretch before it (the
    // bytes the device kept) stays where the stream put it.
    const qint64 gap
        = std::min_element(m_held.cbegin(), m_held.cend(), [](const Held &a, const Held &b) {
              return a.lag < b.lag;
          })->lag;
    const qsizetype size = qsizetype(m_held.size());
    qsizetype first = 0;
    while (first < size && m_held[size_t(first)].lag > gap + kJoinSamples)
        ++first;
    const auto oneArrival = [this](qsizetype i) {
        const Held &a = m_held[size_t(i - 1)];
        const Held &b = m_held[size_t(i)];
        return double(b.ns - a.ns) < double(b.index - a.index) / kSamplesPerNs / 2;
    };
    while (first > 0 && first < size && oneArrival(first))
        ++first;
    placeHeld(first, 0);
    m_base += gap;
    placeHeld(qsizetype(m_held.size()), gap);
}

void LiveHistory::placeHeld(qsizetype count, qint64 shift)
{
    for (qsizetype i = 0; i < count; ++i)
        place(m_held[size_t(i)].index + shift, m_held[size_t(i)].code);
    m_held.erase(m_held.begin(), m_held.begin() + count);
    // A long hold does not keep its memory.
    if (m_held.empty() && m_held.capacity() > 4096)
        std::vector<Held>().swap(m_held);
}

void LiveHistory::place(qint64 index, qint16 code)
{
    // Indices only grow; nothing is put back in time.
    if (index < m_series.end())
        return;
    if (index > m_series.end())
        m_series.appendMissing(index - m_series.end());
    m_series.append(code);
}

qint64 LiveHistory::clockIndex(qint64 nowNs) const
{
    return m_originIndex + qint64(std::floor(double(nowNs - m_originNs) * kSamplesPerNs));
}

void LiveHistory::moveClock(qint64 index, qint64 ns, qint64 fromIndex)
{
    m_originIndex = index;
    m_originNs = ns;
    if (!m_anchors.empty()) {
        // Small moves add up until the wall-clock times would be a millisecond out.
        const Anchor &last = m_anchors.back();
        const qint64 anchored
            = last.originIndex + qint64(std::floor(double(ns - last.originNs) * kSamplesPerNs));
        if (std::abs(anchored - index) < kAnchorSamples)
            return;
    }
    if (!m_anchors.empty() && m_anchors.back().fromIndex >= fromIndex)
        m_anchors.pop_back();
    if (!m_anchors.empty() && fromIndex - m_anchors.back().fromIndex < kAnchorSpacing)
        m_anchors.back() = { m_anchors.back().fromIndex, index, ns };
    else
        m_anchors.push_back({ fromIndex, index, ns });
    while (m_anchors.size() >= 2 && m_anchors[1].fromIndex <= m_series.begin())
        m_anchors.erase(m_anchors.begin());
}

void LiveHistory::noteOnTime(qint64 lag, qint64 nowNs)
{
    m_windowMinLag = std::min(m_windowMinLag, lag);
    if (nowNs - m_windowStartNs < kDriftWindowMs * kNsPerMs)
        return;
    if (m_windowMinLag > 0 && m_windowMinLag != kNoLag)
        moveClock(m_originIndex - m_windowMinLag, m_originNs, m_series.end());
    m_windowStartNs = nowNs;
    m_windowMinLag = kNoLag;
}

QDateTime LiveHistory::timeOf(qint64 index) const
{
    if (m_anchors.empty())
        return QDateTime();
    auto anchor = std::find_if(m_anchors.crbegin(), m_anchors.crend(),
        [index](const Anchor &a) { return a.fromIndex <= index; });
    const Anchor &a = anchor != m_anchors.crend() ? *anchor : m_anchors.front();
    const double ns = double(a.originNs) + double(index - a.originIndex) / kSamplesPerNs;
    const QDateTime local
        = QDateTime::fromMSecsSinceEpoch(m_wallMsAtZero + qint64(std::floor(ns / kNsPerMs)));
    return local.toOffsetFromUtc(local.offsetFromUtc());
}
