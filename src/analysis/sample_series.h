// A stream of samples held compactly for drawing and statistics: one qint16 a sample, and per
// block of 64 samples the min, max, sum and sum of squares of the valid ones with the counts of
// each kind, so a range's statistics cost a walk over its blocks, not over its samples.
//
// Samples keep the absolute index they were appended with: begin() is the oldest kept, end() one
// past the newest (the total ever appended). With a capacity the series is a ring that keeps at
// least the newest `capacity` samples and drops the oldest a whole block at a time; its memory is
// taken once, so appending never moves or reallocates anything.
#pragma once

#include "capture/transient_samples.h"

#include <QList>
#include <QtGlobal>

#include <limits>
#include <optional>
#include <utility>
#include <vector>

// Statistics of the samples in a range; min and max are none without a valid sample.
struct RangeStats
{
    qint64 valid = 0;
    qint64 missing = 0;
    qint64 overSpin = 0;
    std::optional<int> min;
    std::optional<int> max;
    qint64 sum = 0;
    qint64 sumOfSquares = 0;

    qint64 count() const { return valid + missing + overSpin; }
    std::optional<double> mean() const;
    std::optional<double> rms() const;
};

class SampleSeries
{
public:
    // Codes for the samples that carry no deviation; a valid sample is its deviation itself.
    static constexpr qint16 kMissing = std::numeric_limits<qint16>::min();
    static constexpr qint16 kOverSpin = kMissing + 1;
    static constexpr int kMaxDeviation = 255;
    static constexpr int kBlockSamples = 64;

    // capacity 0: unbounded.
    explicit SampleSeries(qint64 capacity = 0);

    // A capture, indexed by list position as captures are.
    static SampleSeries fromSamples(const QList<TransientSample> &samples);
    static qint16 codeOf(const TransientSample &sample);

    // A deviation beyond +-255 (which the drive cannot send) is held at the limit, so that block
    // sums stay exact.
    void append(qint16 code);
    void append(const TransientSample &sample) { append(codeOf(sample)); }
    // count missing samples, whole blocks at a time; a ring skips what it would not keep, so a gap
    // of any length costs at most one pass over the ring.
    void appendMissing(qint64 count);
    void clear();

    qint64 capacity() const { return m_capacity; }
    qint64 begin() const;
    qint64 end() const { return m_end; }
    bool isEmpty() const { return begin() == m_end; }
    // kMissing outside [begin(), end()): there is no sample there.
    qint16 at(qint64 index) const;

    // Over [from, to) clamped to what is kept.
    RangeStats stats(qint64 from, qint64 to) const;

    // Samples and blocks as allocated.
    qint64 memoryBytes() const;

    // Changes whenever what the series holds does: samples only ever go on at the end, or all
    // of them go at once.
    std::pair<quint64, qint64> revision() const { return { m_clears, m_end }; }

    // Per block of samples, over its valid ones; min > max in a block without any.
    struct Block
    {
        qint16 min;
        qint16 max;
        qint32 sum;
        quint32 sumOfSquares;
        quint8 valid;
        quint8 missing;
        quint8 overSpin;
    };
    static_assert(sizeof(Block) == 16);

private:
    // Starts block `block` at m_end, allocating its slot on first use.
    Block &openBlock(qint64 block);
    // Where a block's samples start in m_samples.
    qsizetype slotOf(qint64 block) const
    {
        return qsizetype(m_slots == 0 ? block : block % m_slots);
    }
    const qint16 *blockSamples(qint64 block) const
    {
        return m_samples.data() + slotOf(block) * kBlockSamples;
    }

    qint64 m_capacity = 0;
    qint64 m_slots = 0; // blocks in the ring; 0 when unbounded
    qint64 m_end = 0;
    quint64 m_clears = 0;
    std::vector<qint16> m_samples;
    std::vector<Block> m_blocks;
};
