// The plot widget: layout, drawing and the mouse and keys.
#include "ui/plot/plot_widget.h"

#include "analysis/sample_series.h"
#include "files/save_through.h"
#include "ui/plot/plot_ticks.h"

#include <QImageWriter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBackground(0xff, 0xff, 0xff);
const QColor kFrame(0x80, 0x80, 0x80);
const QColor kGrid(0xe6, 0xe6, 0xe6);
const QColor kZeroLine(0xb4, 0xb4, 0xb4);
const QColor kText(0x30, 0x30, 0x30);
const QColor kBand(0x2e, 0x8b, 0x57);
const QColor kBandFill(0x2e, 0x8b, 0x57, 0x18);
const QColor kOverSpin(0xd0, 0x00, 0x00);
const QColor kRubberBand(0x30, 0x60, 0xc0);

constexpr double kTickLength = 4;
constexpr double kGap = 4;
// A time label is centred in a box this far either side of its tick.
constexpr double kTimeLabelHalfWidth = 50;
constexpr double kOverSpinMarkLength = 7;
constexpr double kLegendLineLength = 24;
constexpr double kLegendSpacing = 16;
// How near to a cursor line, in pixels, a press grabs it.
constexpr double kGrabPixels = 6;
// Each notch of the wheel shows this share of the time span.
constexpr double kWheelZoom = 0.8;
// A rubber band smaller than this is a click.
constexpr double kMinRubberBand = 4;
// Up to this many samples a column, per-column lines are antialiased.
constexpr double kSmoothedSamplesPerColumn = 8;
// Zoomed in no further than this many samples across.
constexpr double kMinSpanSamples = 8;

} // namespace

struct PlotWidget::Layout
{
    struct LegendItem
    {
        QPointF at; // left end of the line sample, on the text's middle
        QPen pen;
        bool mark = false; // an over-spin mark instead of a line
        QString text;
    };

    Range time;
    Range steps;
    QRectF area;
    double lineHeight = 0;
    TimeUnit unit = TimeUnit::Milliseconds;
    double timeStep = 1; // in unit
    QList<double> timeTicks; // in unit
    double stepsStep = 1;
    QList<double> stepsTicks;
    double stepsLabelWidth = 0;
    double timeTitleTop = 0;
    std::vector<LegendItem> legend;

    bool isDrawable() const { return area.width() >= 1 && area.height() >= 1; }
    double x(double ms) const { return area.left() + (ms - time.min) / time.span() * area.width(); }
    double y(double value) const
    {
        return area.bottom() - (value - steps.min) / steps.span() * area.height();
    }
};

PlotWidget::PlotWidget(QWidget *parent)
    : QWidget(parent)
    , m_timeTitle(QStringLiteral("time"))
    , m_stepsTitle(QStringLiteral("following error (steps)"))
    , m_cachedLayout(std::make_unique<Layout>())
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PlotWidget::~PlotWidget() = default;

int PlotWidget::addSeries(const Series &series)
{
    m_series.push_back(SeriesEntry { m_nextId, series, QPainterPath() });
    styleChanged();
    return m_nextId++;
}

void PlotWidget::setSeries(int id, const Series &series)
{
    if (SeriesEntry *e = entry(id)) {
        e->series = series;
        styleChanged();
    }
}

void PlotWidget::removeSeries(int id)
{
    m_series.erase(std::remove_if(m_series.begin(), m_series.end(),
                       [id](const SeriesEntry &e) { return e.id == id; }),
        m_series.end());
    styleChanged();
}

void PlotWidget::clearSeries()
{
    m_series.clear();
    styleChanged();
}

PlotWidget::SeriesEntry *PlotWidget::entry(int id)
{
    for (SeriesEntry &e : m_series) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}

void PlotWidget::setTimeTitle(const QString &title)
{
    m_timeTitle = title;
    styleChanged();
}

void PlotWidget::setStepsTitle(const QString &title)
{
    m_stepsTitle = title;
    styleChanged();
}

void PlotWidget::setBandShown(bool shown)
{
    m_bandShown = shown;
    styleChanged();
}

void PlotWidget::styleChanged()
{
    ++m_styleGeneration;
    update();
}

namespace {

bool isRange(double min, double max)
{
    return std::isfinite(min) && std::isfinite(max) && max > min;
}

} // namespace

void PlotWidget::setTimeRange(double minMs, double maxMs)
{
    if (!isRange(minMs, maxMs))
        return;
    m_view = Range { minMs, maxMs };
    update();
}

void PlotWidget::followTimeTo(double minMs, double maxMs)
{
    const Range to { minMs, maxMs };
    if (!m_wholePixels) {
        m_wholePixels = true;
        styleChanged();
    }
    // Only a picture of this view at this size can be moved on.
    const bool drawn = m_cachedKey && m_cachedKey->size == size()
        && (m_cachedKey->time == m_view || (m_followed && *m_followed == m_view));
    if (!isRange(minMs, maxMs) || !drawn || !isVisible()
        || std::abs(to.span() - m_view.span()) > 1e-9 * m_view.span()) {
        setTimeRange(minMs, maxMs);
        return;
    }
    // The view moves on by whole pixels (the area is a whole number of them), so what is moved
    // lies where drawing the new view would put it; the newest sample may wait for the next.
    const QRectF area = m_cachedLayout->area;
    const double msPerPixel = m_view.span() / area.width();
    const double moved = (to.min - m_view.min) / msPerPixel;
    const int dx = int(std::floor(moved + 1e-6));
    const Range from = m_view;
    m_view = Range { from.min + dx * msPerPixel, from.max + dx * msPerPixel };
    // Back, far, or a legend that gains or loses its over-spin line: drawn anew.
    if (dx < 0 || moved > area.width() / 2 || overSpinInView() != m_cachedKey->overSpinInLegend) {
        m_view = from;
        setTimeRange(minMs, maxMs);
        return;
    }
    if (dx == 0)
        return;
    m_followed = m_view;
    // The plot inside its left edge, and the strip of time labels under it, which reaches into
    // the margins. The frame's top and bottom and the steps grid are the same after a move.
    const int left = int(area.left()) + 1;
    const int right = int(area.right());
    const int top = int(area.top());
    const int bottom = int(area.bottom());
    const int labelsBottom = int(std::ceil(bottom + kTickLength + m_cachedLayout->lineHeight)) + 1;
    scroll(-dx, 0, QRect(QPoint(left, top), QPoint(right, bottom)));
    scroll(-dx, 0, QRect(QPoint(0, bottom + 1), QPoint(width() - 1, labelsBottom)));
    // The newest column filled on since it was drawn, and half a time label on each side.
    constexpr int kRedrawnColumns = 2;
    update(QRect(QPoint(right - dx - kRedrawnColumns, top), QPoint(right, bottom)));
    // The left edge, which the first column's line may cover.
    update(QRect(QPoint(left - 2, top), QPoint(left + 1, bottom)));
    const int labelHalf = int(kTimeLabelHalfWidth) + 1;
    update(QRect(QPoint(right - dx - labelHalf, bottom + 1), QPoint(width() - 1, labelsBottom)));
    update(QRect(QPoint(0, bottom + 1), QPoint(left + labelHalf, labelsBottom)));
}

void PlotWidget::setFullRange(double minMs, double maxMs)
{
    if (!isRange(minMs, maxMs))
        return;
    m_full = Range { minMs, maxMs };
}

void PlotWidget::setStepsRange(double minSteps, double maxSteps)
{
    if (!isRange(minSteps, maxSteps))
        return;
    m_stepsFull = m_stepsView = Range { minSteps, maxSteps };
    update();
}

void PlotWidget::resetZoom()
{
    m_view = m_full;
    m_stepsView = m_stepsFull;
    update();
}

QColor PlotWidget::cursorColor(Cursor which)
{
    return which == Cursor::A ? QColor(0xc0, 0x00, 0x60) : QColor(0x00, 0x70, 0x40);
}

void PlotWidget::markCursorCaption(QWidget *caption, Cursor which)
{
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, cursorColor(which));
    caption->setPalette(palette);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
}

void PlotWidget::setCursorVisible(Cursor which, bool visible)
{
    (which == Cursor::A ? m_cursorA : m_cursorB).visible = visible;
    update();
}

void PlotWidget::setCursorTime(Cursor which, double ms)
{
    if (!std::isfinite(ms))
        return;
    (which == Cursor::A ? m_cursorA : m_cursorB).ms = ms;
    update();
}

void PlotWidget::setCurrentCursor(Cursor which)
{
    if (m_current == which)
        return;
    m_current = which;
    update();
    Q_EMIT currentCursorChanged(which);
}

// ---- layout ----

bool PlotWidget::overSpinInView() const
{
    for (const SeriesEntry &e : m_series) {
        if (!e.series.samples)
            continue;
        const SampleSeries &samples = *e.series.samples;
        const auto kept = [&](double ms) {
            return std::clamp(double(e.series.zeroIndex) + ms / kTransientSamplePeriodMs,
                double(samples.begin()), double(samples.end()));
        };
        const qint64 from = qint64(std::ceil(kept(m_view.min)));
        const qint64 to = qint64(std::floor(kept(m_view.max))) + 1;
        if (samples.stats(from, to).overSpin > 0)
            return true;
    }
    return false;
}

PlotWidget::Layout PlotWidget::layout(
    const QRect &target, const QFontMetricsF &metrics, bool overSpinInLegend) const
{
    Layout l;
    l.time = m_view;
    l.steps = m_stepsView;
    l.lineHeight = metrics.height();

    // The legend flows under everything else, across the whole width.
    const double legendLeft = target.left() + kGap;
    const double legendWidth = target.width() - 2 * kGap;
    const auto addLegend = [&](const QPen &pen, bool mark, const QString &text) {
        l.legend.push_back(Layout::LegendItem { QPointF(), pen, mark, text });
    };
    for (const SeriesEntry &e : m_series) {
        if (!e.series.name.isEmpty()) {
            QPen pen(e.series.color, std::min<qreal>(e.series.width, 3), e.series.style);
            addLegend(pen, false, e.series.name);
        }
    }
    if (m_bandShown)
        addLegend(
            QPen(kBand, 1, Qt::DashLine), false, QStringLiteral("\u00b1%1 steps").arg(kBandSteps));
    if (overSpinInLegend)
        addLegend(QPen(kOverSpin, 1.5), true, QStringLiteral("over-spin"));
    double x = 0;
    int rows = l.legend.empty() ? 0 : 1;
    for (Layout::LegendItem &item : l.legend) {
        const double width = kLegendLineLength + kGap + metrics.horizontalAdvance(item.text);
        if (x > 0 && x + width > legendWidth) {
            x = 0;
            ++rows;
        }
        item.at = QPointF(legendLeft + x, (rows - 1) * l.lineHeight); // rows placed below
        x += width + kLegendSpacing;
    }
    const double legendHeight = rows * l.lineHeight;

    const double top = target.top() + l.lineHeight / 2 + kGap;
    const double bottom = target.bottom() + 1 - kGap - legendHeight - kGap - l.lineHeight - kGap
        - l.lineHeight - kTickLength;
    const double height = bottom - top;

    l.stepsStep = tickStep(l.steps.span(), height, kPixelsPerValueLabel);
    l.stepsTicks = tickValues(l.steps.min, l.steps.max, l.stepsStep);
    for (double v : std::as_const(l.stepsTicks))
        l.stepsLabelWidth
            = std::max(l.stepsLabelWidth, metrics.horizontalAdvance(tickLabel(v, l.stepsStep)));
    const double left
        = target.left() + kGap + l.lineHeight + kGap + l.stepsLabelWidth + kGap + kTickLength;
    const double right = target.right() + 1
        - std::max(12.0, metrics.horizontalAdvance(QStringLiteral("00000")) / 2);
    l.area = QRectF(QPointF(left, top), QPointF(right, bottom));
    // A plot that follows its stream lies on whole pixels: a column of the traces is then a
    // pixel, and a view moved on by whole pixels draws its traces, grid and labels where moving
    // the old picture puts them. Not otherwise: Qt's raster engine smooths lines centred on
    // pixels by a slower path, a millisecond more for a capture and eight references.
    if (m_wholePixels)
        l.area = QRectF(QPointF(std::round(left), std::round(top)),
            QPointF(std::round(right), std::round(bottom)));

    l.unit = timeUnitForSpan(l.time.span());
    const double perUnit = msPerUnit(l.unit);
    l.timeStep = tickStep(l.time.span() / perUnit, l.area.width(), kPixelsPerTimeLabel);
    l.timeTicks = tickValues(l.time.min / perUnit, l.time.max / perUnit, l.timeStep);
    l.timeTitleTop = bottom + kTickLength + l.lineHeight + kGap;
    const double legendTop = l.timeTitleTop + l.lineHeight + kGap;
    for (Layout::LegendItem &item : l.legend)
        item.at.ry() += legendTop + l.lineHeight / 2;
    return l;
}

QRectF PlotWidget::plotArea() const
{
    return layout(rect(), QFontMetricsF(font(), this), overSpinInView()).area;
}

double PlotWidget::timeAtX(double x) const
{
    const QRectF area = plotArea();
    return m_view.min + (x - area.left()) / area.width() * m_view.span();
}

double PlotWidget::xOfTime(double ms) const
{
    const QRectF area = plotArea();
    return area.left() + (ms - m_view.min) / m_view.span() * area.width();
}

// ---- drawing ----

void PlotWidget::drawBackground(QPainter *painter, const Layout &l, const QRect &target) const
{
    painter->fillRect(target, kBackground);
    if (!l.isDrawable())
        return;
    const QRectF &area = l.area;
    painter->setRenderHint(QPainter::Antialiasing, false);

    // The band first, so the grid shows through its fill.
    const double bandTop = std::max(area.top(), l.y(kBandSteps));
    const double bandBottom = std::min(area.bottom(), l.y(-kBandSteps));
    if (m_bandShown && bandTop < bandBottom)
        painter->fillRect(
            QRectF(area.left(), bandTop, area.width(), bandBottom - bandTop), kBandFill);

    const double perUnit = msPerUnit(l.unit);
    painter->setPen(QPen(kGrid, 1));
    for (double v : l.timeTicks) {
        const double x = l.x(v * perUnit);
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (double v : l.stepsTicks) {
        const double y = l.y(v);
        painter->setPen(QPen(v == 0 ? kZeroLine : kGrid, 1));
        painter->drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    if (m_bandShown) {
        // Dashes anchored to the time axis, so that a view moved on draws them where moving the
        // picture puts them.
        QPen dashes(kBand, 1, Qt::DashLine);
        const double period = 6; // DashLine: 4 on, 2 off, in pen widths
        dashes.setDashOffset(std::fmod(std::fmod(area.left() - l.x(0), period) + period, period));
        painter->setPen(dashes);
        for (const int v : { kBandSteps, -kBandSteps }) {
            const double y = l.y(v);
            if (y >= area.top() && y <= area.bottom())
                painter->drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        }
    }
    painter->setPen(QPen(kFrame, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(area);

    // Ticks and their labels.
    painter->setPen(kText);
    for (double v : l.timeTicks) {
        const double x = l.x(v * perUnit);
        painter->drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + kTickLength));
        const QRectF box(x - kTimeLabelHalfWidth, area.bottom() + kTickLength,
            2 * kTimeLabelHalfWidth, l.lineHeight);
        painter->drawText(box, Qt::AlignHCenter | Qt::AlignTop, tickLabel(v, l.timeStep));
    }
    for (double v : l.stepsTicks) {
        const double y = l.y(v);
        painter->drawLine(QPointF(area.left() - kTickLength, y), QPointF(area.left(), y));
        const QRectF box(area.left() - kTickLength - kGap - l.stepsLabelWidth, y - l.lineHeight / 2,
            l.stepsLabelWidth, l.lineHeight);
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, tickLabel(v, l.stepsStep));
    }

    // Titles.
    const QString timeTitle = QStringLiteral("%1 (%2)").arg(m_timeTitle, unitSymbol(l.unit));
    painter->drawText(QRectF(area.left(), l.timeTitleTop, area.width(), l.lineHeight),
        Qt::AlignHCenter | Qt::AlignTop, timeTitle);
    painter->save();
    painter->translate(target.left() + kGap, area.center().y());
    painter->rotate(-90);
    painter->drawText(QRectF(-area.height() / 2, 0, area.height(), l.lineHeight),
        Qt::AlignHCenter | Qt::AlignTop, m_stepsTitle);
    painter->restore();

    // Legend.
    painter->setRenderHint(QPainter::Antialiasing, true);
    for (const Layout::LegendItem &item : l.legend) {
        painter->setPen(item.pen);
        if (item.mark) {
            const double x = item.at.x() + kLegendLineLength / 2;
            painter->drawLine(QPointF(x, item.at.y() - kOverSpinMarkLength / 2),
                QPointF(x, item.at.y() + kOverSpinMarkLength / 2));
        } else {
            painter->drawLine(item.at, item.at + QPointF(kLegendLineLength, 0));
        }
        painter->setPen(kText);
        painter->drawText(QRectF(item.at.x() + kLegendLineLength + kGap,
                              item.at.y() - l.lineHeight / 2, 1000, l.lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter, item.text);
    }
}

TraceView PlotWidget::traceView(const SeriesEntry &e, const Layout &l) const
{
    TraceView view;
    view.area = l.area;
    view.leftIndex = double(e.series.zeroIndex) + l.time.min / kTransientSamplePeriodMs;
    view.rightIndex = double(e.series.zeroIndex) + l.time.max / kTransientSamplePeriodMs;
    view.minValue = l.steps.min;
    view.maxValue = l.steps.max;
    return view;
}

void PlotWidget::drawExposedTraces(QPainter *painter, const Layout &l, const QRegion &exposed)
{
    // A plot on whole pixels draws only the columns under what is exposed (the strip a move
    // brought in), with two either side for the joins and the smoothing that reach into it.
    if (!m_wholePixels || !l.isDrawable()
        || QRegion(l.area.toAlignedRect()).subtracted(exposed).isEmpty()) {
        drawTraces(painter, l);
        return;
    }
    constexpr int kReach = 2;
    const double msPerPixel = l.time.span() / l.area.width();
    for (const QRect &r : exposed) {
        const double from = std::max(l.area.left(), double(r.left() - kReach));
        const double to = std::min(l.area.right(), double(r.right() + 1 + kReach));
        if (to <= from || r.bottom() < l.area.top() || r.top() > l.area.bottom())
            continue;
        Layout strip = l;
        strip.area.setLeft(from);
        strip.area.setRight(to);
        strip.time = Range { l.time.min + (from - l.area.left()) * msPerPixel,
            l.time.max - (l.area.right() - to) * msPerPixel };
        drawTraces(painter, strip);
    }
}

void PlotWidget::drawTraces(QPainter *painter, const Layout &l)
{
    if (!l.isDrawable())
        return;
    // Qt's raster engine strokes pens wider than a device pixel through a general outline
    // filler that takes tens of milliseconds for a trace. On raster devices the traces are
    // therefore drawn with what it does fast: column lines with a one-pixel pen (they touch,
    // so the width is the band), and a wide solid line as separate segments. Vector devices
    // get the path as it is.
    const bool raster = painter->paintEngine()->type() == QPaintEngine::Raster;
    const qreal ratio = painter->device()->devicePixelRatioF();
    painter->setBrush(Qt::NoBrush);
    m_overSpinMarks.clear();
    for (SeriesEntry &e : m_series) {
        if (!e.series.samples)
            continue;
        TraceView view = traceView(e, l);
        view.pixelRatio = raster ? ratio : 1;
        const bool columns = m_builder.build(*e.series.samples, view, e.path, m_overSpinX);
        QPen pen(e.series.color, e.series.width, e.series.style, Qt::FlatCap, Qt::RoundJoin);
        if (raster && (columns || e.series.style != Qt::SolidLine || e.series.width <= 1)) {
            pen.setWidth(1);
            pen.setCosmetic(true);
            // Smoothing helps a trace that still reads as a line; a band it only slows down.
            const double perColumn = (view.rightIndex - view.leftIndex) / view.columns();
            painter->setRenderHint(
                QPainter::Antialiasing, !columns || perColumn < kSmoothedSamplesPerColumn);
            painter->strokePath(e.path, pen);
        } else if (raster) {
            pen.setCapStyle(Qt::SquareCap); // fills the notch where two segments meet
            painter->setRenderHint(QPainter::Antialiasing, true);
            m_lines.clear();
            QPointF at;
            for (int i = 0; i < e.path.elementCount(); ++i) {
                const QPainterPath::Element element = e.path.elementAt(i);
                if (element.isLineTo())
                    m_lines.emplace_back(at, element);
                at = element;
            }
            painter->setPen(pen);
            painter->drawLines(m_lines.data(), int(m_lines.size()));
        } else {
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->strokePath(e.path, pen);
        }
        for (const double x : m_overSpinX)
            m_overSpinMarks.emplace_back(x, l.area.top(), x, l.area.top() + kOverSpinMarkLength);
    }
    // Separate lines, which the raster engine draws fast even in a stretch of over-spin.
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(kOverSpin, 2, Qt::SolidLine, Qt::FlatCap));
    painter->drawLines(m_overSpinMarks.data(), int(m_overSpinMarks.size()));
}

void PlotWidget::drawCursors(QPainter *painter, const Layout &l) const
{
    if (!l.isDrawable())
        return;
    QFont bold = painter->font();
    bold.setBold(true);
    painter->setFont(bold);
    const QFontMetricsF metrics(bold, painter->device());
    painter->setRenderHint(QPainter::Antialiasing, true);
    for (const Cursor which : { Cursor::A, Cursor::B }) {
        const CursorState &c = cursorState(which);
        const double x = l.x(c.ms);
        if (!c.visible || x < l.area.left() - 0.5 || x > l.area.right() + 0.5)
            continue;
        const QColor color = cursorColor(which);
        painter->setPen(QPen(color, which == m_current ? 2 : 1.5));
        painter->drawLine(QPointF(x, l.area.top()), QPointF(x, l.area.bottom()));
        const double size = metrics.height();
        const QRectF flag(x - size / 2 - 2, l.area.top(), size + 4, size + 2);
        painter->fillRect(flag, color);
        painter->setPen(Qt::white);
        painter->drawText(
            flag, Qt::AlignCenter, which == Cursor::A ? QStringLiteral("A") : QStringLiteral("B"));
    }
}

void PlotWidget::render(QPainter *painter, const QRect &target)
{
    painter->save();
    painter->setFont(QFont(font(), painter->device()));
    const Layout l
        = layout(target, QFontMetricsF(painter->font(), painter->device()), overSpinInView());
    drawBackground(painter, l, target);
    drawTraces(painter, l);
    drawCursors(painter, l);
    painter->restore();
}

const PlotWidget::Layout &PlotWidget::screenLayout()
{
    const BackgroundKey key { size(), devicePixelRatioF(), m_view, m_stepsView, overSpinInView(),
        m_styleGeneration };
    if (!m_cachedKey || !(*m_cachedKey == key)) {
        *m_cachedLayout = layout(rect(), QFontMetricsF(font(), this), key.overSpinInLegend);
        m_cachedKey = key;
        m_background = QPixmap();
        ++m_backgroundChanges;
    } else {
        m_backgroundChanges = 0;
    }
    return *m_cachedLayout;
}

void PlotWidget::paintEvent(QPaintEvent *event)
{
    const Layout &l = screenLayout();
    QPainter painter(this);
    if (m_backgroundChanges >= 2) {
        // A view that moves on every frame (a live chart following its stream): a kept picture
        // would be drawn only to be copied once, so everything goes straight to the widget.
        drawBackground(&painter, l, rect());
        drawExposedTraces(&painter, l, event->region());
    } else {
        // A still view keeps its picture with the traces in it, so that moving a cursor over
        // a capture and its references costs a copy; new samples redraw it.
        std::vector<std::pair<quint64, qint64>> revisions;
        for (const SeriesEntry &e : m_series)
            revisions.push_back(
                e.series.samples ? e.series.samples->revision() : std::pair<quint64, qint64>());
        if (m_background.isNull() || revisions != m_backgroundRevisions) {
            const qreal ratio = devicePixelRatioF();
            if (m_background.isNull()) {
                m_background = QPixmap(size() * ratio);
                m_background.setDevicePixelRatio(ratio);
            }
            QPainter background(&m_background);
            background.setFont(font());
            drawBackground(&background, l, rect());
            drawTraces(&background, l);
            m_backgroundRevisions = std::move(revisions);
        }
        painter.drawPixmap(0, 0, m_background);
    }
    drawCursors(&painter, l);
    if (m_drag == Drag::Zoom) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QRectF band = QRectF(m_dragStart, m_dragNow).normalized() & l.area;
        painter.setPen(QPen(kRubberBand, 1));
        painter.setBrush(QColor(kRubberBand.red(), kRubberBand.green(), kRubberBand.blue(), 0x30));
        painter.drawRect(band);
    }
}

void PlotWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        styleChanged();
    QWidget::changeEvent(event);
}

bool PlotWidget::exportPng(const QString &path, QString *error)
{
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        image.setDevicePixelRatio(ratio);
        QPainter painter(&image);
        render(&painter, rect());
    }
    const QString failure = saveThrough(path, [&image](QIODevice &file) {
        if (image.isNull())
            return QStringLiteral("the picture is too large");
        QImageWriter writer(&file, "png");
        return writer.write(image) ? QString() : writer.errorString();
    });
    if (error)
        *error = failure;
    return failure.isEmpty();
}

bool PlotWidget::exportSvg(const QString &path, const QString &title, QString *error)
{
    const QString failure = saveThrough(path, [&](QIODevice &file) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size());
        svg.setViewBox(rect());
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg))
            return QStringLiteral("cannot draw the picture");
        render(&painter, rect());
        painter.end();
        return QString();
    });
    if (error)
        *error = failure;
    return failure.isEmpty();
}

// ---- mouse and keys ----

PlotWidget::Range PlotWidget::clampedToFull(Range time) const
{
    const double minSpan = std::min(m_full.span(), kMinSpanSamples * kTransientSamplePeriodMs);
    if (time.span() >= m_full.span())
        return m_full;
    if (time.span() < minSpan) {
        const double centre = (time.min + time.max) / 2;
        time = Range { centre - minSpan / 2, centre + minSpan / 2 };
    }
    if (time.min < m_full.min)
        time = Range { m_full.min, m_full.min + time.span() };
    if (time.max > m_full.max)
        time = Range { m_full.max - time.span(), m_full.max };
    return time;
}

void PlotWidget::setViewByUser(Range time, std::optional<Range> steps)
{
    if (!isRange(time.min, time.max))
        return;
    time = clampedToFull(time);
    if (steps) {
        steps->min = std::max(steps->min, m_stepsFull.min);
        steps->max = std::min(steps->max, m_stepsFull.max);
        if (isRange(steps->min, steps->max))
            m_stepsView = *steps;
    }
    const bool changed = !(time == m_view);
    m_view = time;
    update();
    if (changed)
        Q_EMIT viewChangedByUser(m_view.min, m_view.max);
}

void PlotWidget::zoomOutOneStep()
{
    const double centre = (m_view.min + m_view.max) / 2;
    const double stepsCentre = (m_stepsView.min + m_stepsView.max) / 2;
    const Range steps { stepsCentre - m_stepsView.span(), stepsCentre + m_stepsView.span() };
    setViewByUser(Range { centre - m_view.span(), centre + m_view.span() }, steps);
}

std::optional<PlotWidget::Cursor> PlotWidget::cursorNear(const QPointF &pos) const
{
    const QRectF area = plotArea();
    if (pos.y() < area.top() - kGrabPixels || pos.y() > area.bottom() + kGrabPixels)
        return std::nullopt;
    std::optional<Cursor> nearest;
    double best = kGrabPixels;
    // B is drawn over A, so it wins a tie.
    for (const Cursor which : { Cursor::B, Cursor::A }) {
        if (!isCursorVisible(which))
            continue;
        const double distance = std::abs(xOfTime(cursorTime(which)) - pos.x());
        if (distance <= best) {
            best = distance;
            nearest = which;
        }
    }
    return nearest;
}

void PlotWidget::mousePressEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    m_drag = Drag::None;
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<Cursor> near = cursorNear(pos)) {
            m_drag = Drag::Cursor;
            m_dragCursor = *near;
            setCurrentCursor(*near);
        } else if (plotArea().contains(pos)) {
            const bool shift = event->modifiers() & Qt::ShiftModifier;
            m_drag = m_leftDragZooms != shift ? Drag::Zoom : Drag::Pan;
        }
    } else if (event->button() == Qt::MiddleButton && plotArea().contains(pos)) {
        m_drag = Drag::Pan;
    } else if (event->button() == Qt::RightButton) {
        zoomOutOneStep();
    }
    m_dragStart = m_dragNow = pos;
    m_dragStartView = m_view;
    event->accept();
}

void PlotWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    m_dragNow = pos;
    switch (m_drag) {
    case Drag::Cursor:
        Q_EMIT cursorMoved(m_dragCursor, timeAtX(pos.x()));
        break;
    case Drag::Pan: {
        // A view as wide as everything there is has nowhere to go.
        if (m_dragStartView.span() >= m_full.span())
            break;
        const double shift
            = (m_dragStart.x() - pos.x()) / plotArea().width() * m_dragStartView.span();
        setViewByUser(Range { m_dragStartView.min + shift, m_dragStartView.max + shift });
        break;
    }
    case Drag::Zoom:
        update();
        break;
    case Drag::None:
        if (cursorNear(pos))
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
        break;
    }
    event->accept();
}

void PlotWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag == Drag::Zoom) {
        const QRectF area = plotArea();
        const QRectF band = QRectF(m_dragStart, event->position()).normalized() & area;
        if (band.width() >= kMinRubberBand) {
            std::optional<Range> steps;
            if (band.height() >= kMinRubberBand) {
                const auto stepsAt = [&](double y) {
                    return m_stepsView.min
                        + (area.bottom() - y) / area.height() * m_stepsView.span();
                };
                steps = Range { stepsAt(band.bottom()), stepsAt(band.top()) };
            }
            setViewByUser(Range { timeAtX(band.left()), timeAtX(band.right()) }, steps);
        }
        update();
    }
    m_drag = Drag::None;
    event->accept();
}

void PlotWidget::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    const double factor = std::pow(kWheelZoom, notches);
    const double at = std::clamp(timeAtX(event->position().x()), m_view.min, m_view.max);
    setViewByUser(Range { at - (at - m_view.min) * factor, at + (m_view.max - at) * factor });
    event->accept();
}

bool PlotWidget::event(QEvent *event)
{
    // Tab switches between two shown cursors rather than moving the focus on.
    if (event->type() == QEvent::KeyPress && m_cursorA.visible && m_cursorB.visible) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            setCurrentCursor(m_current == Cursor::A ? Cursor::B : Cursor::A);
            return true;
        }
    }
    return QWidget::event(event);
}

void PlotWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_A:
        setCurrentCursor(Cursor::A);
        break;
    case Qt::Key_B:
        setCurrentCursor(Cursor::B);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!isCursorVisible(m_current)) {
            event->ignore();
            return;
        }
        const int samples = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
        const int direction = event->key() == Qt::Key_Left ? -1 : 1;
        Q_EMIT cursorMoved(
            m_current, cursorTime(m_current) + direction * samples * kTransientSamplePeriodMs);
        break;
    }
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
