// The compact sample store and its block envelope.
#include "analysis/sample_series.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kNoMin = std::numeric_limits<qint16>::max();
constexpr int kNoMax = std::numeric_limits<qint16>::min();

// Running totals in plain integers, turned into RangeStats once at the end.
struct Totals
{
    qint64 valid = 0;
    qint64 missing = 0;
    qint64 overSpin = 0;
    int min = kNoMin;
    int max = kNoMax;
    qint64 sum = 0;
    qint64 sumOfSquares = 0;

    void add(const qint16 *codes, qint64 count)
    {
        for (const qint16 *code = codes; code != codes + count; ++code) {
            const int value = *code;
            if (value == SampleSeries::kMissing) {
                ++missing;
            } else if (value == SampleSeries::kOverSpin) {
                ++overSpin;
            } else {
                ++valid;
                min = std::min(min, value);
                max = std::max(max, value);
                sum += value;
                sumOfSquares += value * value;
            }
        }
    }

    void add(const SampleSeries::Block &block)
    {
        valid += block.valid;
        missing += block.missing;
        overSpin += block.overSpin;
        min = std::min<int>(min, block.min);
        max = std::max<int>(max, block.max);
        sum += block.sum;
        sumOfSquares += block.sumOfSquares;
    }

    RangeStats stats() const
    {
        RangeStats s;
        s.valid = valid;
        s.missing = missing;
        s.overSpin = overSpin;
        if (valid > 0) {
            s.min = min;
            s.max = max;
        }
        s.sum = sum;
        s.sumOfSquares = sumOfSquares;
        return s;
    }
};

} // namespace

std::optional<double> RangeStats::mean() const
{
    if (valid == 0)
        return std::nullopt;
    return double(sum) / double(valid);
}

std::optional<double> RangeStats::rms() const
{
    if (valid == 0)
        return std::nullopt;
    return std::sqrt(double(sumOfSquares) / double(valid));
}

SampleSeries::SampleSeries(qint64 capacity)
{
    if (capacity <= 0)
        return;
    m_capacity = capacity;
    // The open block is one more, so that whole blocks holding `capacity` stay while it fills.
    m_slots = (capacity + kBlockSamples - 1) / kBlockSamples + 1;
    m_samples.reserve(size_t(m_slots * kBlockSamples));
    m_blocks.reserve(size_t(m_slots));
}

SampleSeries SampleSeries::fromSamples(const QList<TransientSample> &samples)
{
    SampleSeries series;
    series.m_samples.reserve(size_t(samples.size() + kBlockSamples));
    series.m_blocks.reserve(size_t(samples.size() / kBlockSamples + 1));
    for (const TransientSample &sample : samples)
        series.append(sample);
    return series;
}

qint16 SampleSeries::codeOf(const TransientSample &sample)
{
    switch (sample.kind) {
    case SampleKind::Valid:
        return qint16(std::clamp(sample.deviation, -kMaxDeviation, kMaxDeviation));
    case SampleKind::OverSpin:
        return kOverSpin;
    case SampleKind::Missing:
        break;
    }
    return kMissing;
}

void SampleSeries::append(qint16 code)
{
    if (code != kMissing && code != kOverSpin)
        code = qint16(std::clamp<int>(code, -kMaxDeviation, kMaxDeviation));
    const qint64 block = m_end / kBlockSamples;
    const int offset = int(m_end % kBlockSamples);
    const qsizetype slot = slotOf(block);
    Block &b = offset == 0 ? openBlock(block) : m_blocks[size_t(slot)];
    m_samples[size_t(slot * kBlockSamples + offset)] = code;
    if (code == kMissing) {
        ++b.missing;
    } else if (code == kOverSpin) {
        ++b.overSpin;
    } else {
        ++b.valid;
        b.min = std::min(b.min, code);
        b.max = std::max(b.max, code);
        b.sum += code;
        b.sumOfSquares += quint32(code * code);
    }
    ++m_end;
}

SampleSeries::Block &SampleSeries::openBlock(qint64 block)
{
    const qsizetype slot = slotOf(block);
    if (qsizetype(m_blocks.size()) <= slot) {
        // A ring's slots come into use in order, unless a long gap skipped ahead: then the ring
        // is filled up to the slot.
        m_blocks.resize(size_t(slot + 1));
        m_samples.resize(m_blocks.size() * kBlockSamples);
    }
    Block &b = m_blocks[size_t(slot)];
    b = Block { qint16(kNoMin), qint16(kNoMax), 0, 0, 0, 0, 0 };
    return b;
}

void SampleSeries::appendMissing(qint64 count)
{
    while (count > 0 && m_end % kBlockSamples != 0) {
        append(kMissing);
        --count;
    }
    qint64 blocks = count / kBlockSamples;
    // Of a gap longer than the ring, only the last whole ring's worth of blocks would be kept.
    if (m_slots > 0 && blocks > m_slots) {
        m_end += (blocks - m_slots) * kBlockSamples;
        blocks = m_slots;
    }
    for (qint64 i = 0; i < blocks; ++i) {
        const qint64 block = m_end / kBlockSamples;
        Block &b = openBlock(block);
        b.missing = kBlockSamples;
        std::fill_n(m_samples.begin() + slotOf(block) * kBlockSamples, kBlockSamples, kMissing);
        m_end += kBlockSamples;
    }
    for (count %= kBlockSamples; count > 0; --count)
        append(kMissing);
}

void SampleSeries::clear()
{
    ++m_clears;
    m_end = 0;
    m_samples.clear();
    m_blocks.clear();
}

qint64 SampleSeries::begin() const
{
    if (m_slots == 0)
        return 0;
    return std::max<qint64>(0, (m_end / kBlockSamples - (m_slots - 1)) * kBlockSamples);
}

qint16 SampleSeries::at(qint64 index) const
{
    if (index < begin() || index >= m_end)
        return kMissing;
    return blockSamples(index / kBlockSamples)[index % kBlockSamples];
}

RangeStats SampleSeries::stats(qint64 from, qint64 to) const
{
    from = std::max(from, begin());
    to = std::min(to, m_end);
    Totals totals;
    for (qint64 block = from / kBlockSamples; from < to; ++block) {
        const qint64 blockEnd = (block + 1) * kBlockSamples;
        const qint64 stop = std::min(to, blockEnd);
        if (from == block * kBlockSamples && (stop == blockEnd || stop == m_end))
            totals.add(m_blocks[size_t(slotOf(block))]);
        else
            totals.add(blockSamples(block) + from % kBlockSamples, stop - from);
        from = stop;
    }
    return totals.stats();
}

qint64 SampleSeries::memoryBytes() const
{
    return qint64(sizeof(*this)) + qint64(m_samples.capacity() * sizeof(qint16))
        + qint64(m_blocks.capacity() * sizeof(Block));
}
