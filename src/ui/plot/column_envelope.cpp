// Per-column min and max of a series.
#include "ui/plot/column_envelope.h"

#include <algorithm>
#include <cmath>

namespace {

void add(EnvelopeColumn &column, qint16 code)
{
    if (code == SampleSeries::kMissing) {
        column.missing = true;
    } else if (code == SampleSeries::kOverSpin) {
        column.overSpin = true;
    } else {
        column.min = column.valid ? std::min(column.min, code) : code;
        column.max = column.valid ? std::max(column.max, code) : code;
        column.valid = true;
    }
}

} // namespace

void columnEnvelope(const SampleSeries &series, double leftIndex, double rightIndex, int columns,
    std::vector<EnvelopeColumn> &out)
{
    out.assign(size_t(std::max(columns, 0)), EnvelopeColumn {});
    if (columns <= 0 || !(rightIndex >= leftIndex))
        return;
    // Bounds are clamped to what the series keeps (and one beyond), which keeps them in range
    // of qint64 however far the view lies from the data.
    const auto bound = [&](double index) {
        const double kept = std::clamp(index, double(series.begin()) - 1, double(series.end()) + 1);
        return qint64(std::ceil(kept));
    };
    const double perColumn = (rightIndex - leftIndex) / columns;
    const qint64 last = bound(std::floor(rightIndex)) + 1;
    qint64 from = bound(leftIndex);
    for (int c = 0; c < columns; ++c) {
        const qint64 to
            = c + 1 == columns ? last : std::min(last, bound(leftIndex + (c + 1) * perColumn));
        if (to <= from)
            continue;
        EnvelopeColumn &column = out[size_t(c)];
        if (perColumn < SampleSeries::kBlockSamples) {
            // A few samples a column: reading them costs less than a lookup in the blocks.
            const qint64 end = std::min(to, series.end());
            for (qint64 i = std::max(from, series.begin()); i < end; ++i)
                add(column, series.at(i));
        } else {
            const RangeStats stats = series.stats(from, to);
            column.valid = stats.valid > 0;
            if (column.valid) {
                column.min = qint16(*stats.min);
                column.max = qint16(*stats.max);
            }
            column.missing = stats.missing > 0;
            column.overSpin = stats.overSpin > 0;
        }
        from = to;
    }
}
