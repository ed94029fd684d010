// Per-column min and max of a series.
#include "ui/plot/column_envelope.h"

#include <algorithm>
#include <cmath>

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
        const RangeStats stats = series.stats(from, to);
        EnvelopeColumn &column = out[size_t(c)];
        column.valid = stats.valid > 0;
        if (column.valid) {
            column.min = qint16(*stats.min);
            column.max = qint16(*stats.max);
        }
        column.missing = stats.missing > 0;
        column.overSpin = stats.overSpin > 0;
        from = to;
    }
}
