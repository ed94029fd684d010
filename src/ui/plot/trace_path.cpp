// Building a trace's path.
#include "ui/plot/trace_path.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Half the length of the dash that stands for a lone sample.
constexpr double kDotHalfWidth = 0.5;

// Polylines added point by point to a path and cut to a rectangle: a segment that leaves it ends
// on its edge, and one that comes back starts a new subpath there.
class ClippedPolyline
{
public:
    ClippedPolyline(QPainterPath &path, const QRectF &area)
        : m_path(path)
        , m_area(area)
    {
    }

    void add(QPointF point)
    {
        if (m_points++ > 0)
            segment(m_last, point);
        m_last = point;
    }

    // The last point of the current polyline; none after end().
    std::optional<QPointF> lastPoint() const
    {
        return m_points > 0 ? std::optional<QPointF>(m_last) : std::nullopt;
    }

    // Lifts the pen: the next point starts a new polyline.
    void end()
    {
        if (m_points == 1)
            segment(m_last - QPointF(kDotHalfWidth, 0), m_last + QPointF(kDotHalfWidth, 0));
        m_points = 0;
        m_penAt.reset();
    }

private:
    void segment(QPointF from, QPointF to)
    {
        QPointF a = from;
        QPointF b = to;
        bool cutAtEnd = false;
        if (!m_area.contains(from) || !m_area.contains(to)) {
            // Liang-Barsky: the points from + t (to - from), t in [0, 1], that lie inside the area.
            double t0 = 0;
            double t1 = 1;
            const double dx = to.x() - from.x();
            const double dy = to.y() - from.y();
            const double p[] = { -dx, dx, -dy, dy };
            const double q[] = { from.x() - m_area.left(), m_area.right() - from.x(),
                from.y() - m_area.top(), m_area.bottom() - from.y() };
            for (int k = 0; k < 4; ++k) {
                if (p[k] == 0) {
                    if (q[k] < 0)
                        return; // parallel to this edge and outside it
                    continue;
                }
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
            }
            if (t0 > t1)
                return;
            if (t0 > 0)
                a = from + t0 * (to - from);
            if (t1 < 1)
                b = from + t1 * (to - from);
            cutAtEnd = t1 < 1;
        }
        const bool joined = m_penAt && m_penAt->x() == a.x() && m_penAt->y() == a.y();
        // A flat stretch (a quiet axis, or a capture after it settled) is one segment, not one
        // per column: far less for the stroker and in a vector file.
        if (joined && m_flat && a.y() == b.y()) {
            m_path.setElementPositionAt(m_path.elementCount() - 1, b.x(), b.y());
        } else {
            if (!joined)
                m_path.moveTo(a);
            m_path.lineTo(b);
        }
        m_flat = a.y() == b.y();
        // Only an end inside the area continues into the next segment.
        if (cutAtEnd)
            m_penAt.reset();
        else
            m_penAt = b;
    }

    QPainterPath &m_path;
    QRectF m_area;
    QPointF m_last;
    int m_points = 0;
    std::optional<QPointF> m_penAt; // where the path's current subpath ends
    bool m_flat = false; // the path's last segment is horizontal
};

bool isPlain(const EnvelopeColumn &column)
{
    return column.valid && !column.missing && !column.overSpin;
}

} // namespace

int TraceView::columns() const
{
    return std::max(1, int(std::lround(area.width() * pixelRatio)));
}

bool TracePathBuilder::build(const SampleSeries &series, const TraceView &view, QPainterPath &path,
    std::vector<double> &overSpinX)
{
    path.clear();
    overSpinX.clear();
    const QRectF &area = view.area;
    const double span = view.rightIndex - view.leftIndex;
    const int columns = view.columns();
    if (!(span > 0) || !(view.maxValue > view.minValue) || series.isEmpty() || area.isEmpty())
        return false;
    ClippedPolyline line(path, area);

    if (span / columns <= kPolylineSamplesPerColumn) {
        // One sample beyond each edge, for the segments that cross it.
        const auto kept = [&](double index) {
            return qint64(std::clamp(index, double(series.begin()), double(series.end() - 1)));
        };
        const qint64 first = kept(std::floor(view.leftIndex));
        const qint64 last = kept(std::ceil(view.rightIndex));
        for (qint64 i = first; i <= last; ++i) {
            const qint16 code = series.at(i);
            if (code == SampleSeries::kMissing || code == SampleSeries::kOverSpin) {
                line.end();
                const double x = view.x(double(i));
                if (code == SampleSeries::kOverSpin && x >= area.left() && x <= area.right())
                    overSpinX.push_back(x);
                continue;
            }
            line.add(QPointF(view.x(double(i)), view.y(code)));
        }
        line.end();
        return false;
    }

    columnEnvelope(series, view.leftIndex, view.rightIndex, columns, m_columns);
    const double width = area.width() / columns;
    for (int c = 0; c < columns; ++c) {
        const EnvelopeColumn &column = m_columns[size_t(c)];
        const double x = area.left() + (c + 0.5) * width;
        if (column.overSpin)
            overSpinX.push_back(x);
        if (!column.valid) {
            line.end();
            continue;
        }
        const bool joined = isPlain(column);
        if (!joined)
            line.end();
        if (column.min == column.max) {
            line.add(QPointF(x, view.y(column.min)));
        } else {
            // Enter at the end nearer to where the line left the last column, so the join is
            // short; any order would be as honest, as joins stay within the two columns' ranges.
            const double low = view.y(column.min);
            const double high = view.y(column.max);
            const bool fromLow = !line.lastPoint()
                || std::abs(line.lastPoint()->y() - low) <= std::abs(line.lastPoint()->y() - high);
            line.add(QPointF(x, fromLow ? low : high));
            line.add(QPointF(x, fromLow ? high : low));
        }
        if (!joined)
            line.end();
    }
    line.end();
    return true;
}
