// A chart of deviation over time for one or more sample series, drawn with QPainter: time and
// deviation axes with their grid, the dashed +-10 steps band, a legend, the traces (see
// trace_path.h), red marks at the top for over-spin samples, and two cursors A and B.
//
// Each series has its own time axis: the sample at its zero index is at 0 ms. The caller owns the
// series and calls samplesChanged() after appending. The wheel zooms in time around the mouse;
// a left drag zooms to a rubber band or pans, as leftDragZooms says, and Shift+left drag does the
// other; a middle drag pans; a right click zooms out one step. The view never goes beyond the
// full range. Cursors are dragged with the mouse or stepped a sample at a time with the arrow
// keys (Shift: ten), A, B and Tab choosing which; while both are shown, Tab stays with the chart
// rather than moving the focus on. The widget only reports where a cursor was moved to; the
// caller snaps it to a sample and sets it.
#pragma once

#include "ui/plot/trace_path.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class SampleSeries;

class PlotWidget : public QWidget
{
    Q_OBJECT
public:
    enum class Cursor { A, B };
    Q_ENUM(Cursor)

    struct Series
    {
        const SampleSeries *samples = nullptr;
        qint64 zeroIndex = 0; // the sample at 0 ms
        QColor color = Qt::blue;
        Qt::PenStyle style = Qt::SolidLine;
        qreal width = 1.5;
        QString name; // in the legend unless empty
    };

    static constexpr double kDefaultMinSteps = -260;
    static constexpr double kDefaultMaxSteps = 260;
    static constexpr int kBandSteps = 10;

    explicit PlotWidget(QWidget *parent = nullptr);
    ~PlotWidget() override;

    // Series are drawn in the order added, the last on top. Ids stay valid until removed.
    int addSeries(const Series &series);
    void setSeries(int id, const Series &series);
    void removeSeries(int id);
    void clearSeries();
    int seriesCount() const { return int(m_series.size()); }
    // The series' samples changed: redraw.
    void samplesChanged() { update(); }

    void setTimeTitle(const QString &title); // the unit is added: "time from trigger (ms)"
    void setStepsTitle(const QString &title);
    void setBandShown(bool shown);
    bool isBandShown() const { return m_bandShown; }

    // The view; programmatic changes emit no viewChangedByUser.
    void setTimeRange(double minMs, double maxMs);
    // The same span moved on, as a chart that follows its stream does: what is drawn already is
    // moved by whole pixels and only the strip the samples came into is drawn again. The view
    // moves by whole pixels too, so it may stay up to a pixel short of minMs..maxMs.
    void followTimeTo(double minMs, double maxMs);
    double timeMin() const { return m_view.min; }
    double timeMax() const { return m_view.max; }
    // The furthest the user can zoom out or pan to.
    void setFullRange(double minMs, double maxMs);
    double fullTimeMin() const { return m_full.min; }
    double fullTimeMax() const { return m_full.max; }
    // Both the deviation range shown and the one the rubber band and zooming out keep within.
    void setStepsRange(double minSteps, double maxSteps);
    double stepsMin() const { return m_stepsView.min; }
    double stepsMax() const { return m_stepsView.max; }
    void resetZoom();

    // True: a left drag zooms to a rubber band and Shift+left drag pans; false: the other way.
    void setLeftDragZooms(bool zooms) { m_leftDragZooms = zooms; }
    bool leftDragZooms() const { return m_leftDragZooms; }

    static QColor cursorColor(Cursor which);
    // A label that names a cursor, in the cursor's colour and bold, as its flag on the chart.
    static void markCursorCaption(QWidget *caption, Cursor which);
    void setCursorVisible(Cursor which, bool visible);
    bool isCursorVisible(Cursor which) const { return cursorState(which).visible; }
    void setCursorTime(Cursor which, double ms);
    double cursorTime(Cursor which) const { return cursorState(which).ms; }
    // The one the arrow keys move.
    void setCurrentCursor(Cursor which);
    Cursor currentCursor() const { return m_current; }

    // Where the traces go on the widget (and in its exported picture).
    QRectF plotArea() const;
    double timeAtX(double x) const;
    double xOfTime(double ms) const;

    using QWidget::render;
    // Draws the whole chart into target on any painter; traces are cut to the plot area by their
    // data, with no clip path, so vector output stays right. Vector devices get each trace's own
    // pen; on raster devices a dashed or per-column trace is one device pixel wide, as wider pens
    // there cost tens of milliseconds a trace.
    void render(QPainter *painter, const QRect &target);
    // The chart at its on-screen size and pixel ratio. The file appears complete or not at all;
    // the error names it.
    bool exportPng(const QString &path, QString *error);
    // The chart as an SVG picture of its on-screen size, each trace one path, with a view box;
    // complete or not at all, as exportPng.
    bool exportSvg(const QString &path, const QString &title, QString *error);

    QSize sizeHint() const override { return QSize(800, 420); }
    QSize minimumSizeHint() const override { return QSize(240, 160); }

Q_SIGNALS:
    // The user zoomed or panned.
    void viewChangedByUser(double minMs, double maxMs);
    // The user dragged or stepped a cursor to this time.
    void cursorMoved(PlotWidget::Cursor which, double ms);
    void currentCursorChanged(PlotWidget::Cursor which);

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Range
    {
        double min = 0;
        double max = 1;
        double span() const { return max - min; }
        friend bool operator==(const Range &a, const Range &b)
        {
            return a.min == b.min && a.max == b.max;
        }
    };
    struct CursorState
    {
        bool visible = false;
        double ms = 0;
    };
    struct SeriesEntry
    {
        int id = 0;
        Series series;
        QPainterPath path;
    };
    enum class Drag { None, Cursor, Pan, Zoom };
    struct Layout;
    // What the layout and the background depend on; the style counts as one generation.
    struct BackgroundKey
    {
        QSize size;
        qreal pixelRatio = 1;
        Range time;
        Range steps;
        bool overSpinInLegend = false;
        quint64 styleGeneration = 0;
        friend bool operator==(const BackgroundKey &a, const BackgroundKey &b)
        {
            return a.size == b.size && a.pixelRatio == b.pixelRatio && a.time == b.time
                && a.steps == b.steps && a.overSpinInLegend == b.overSpinInLegend
                && a.styleGeneration == b.styleGeneration;
        }
    };

    const CursorState &cursorState(Cursor which) const
    {
        return which == Cursor::A ? m_cursorA : m_cursorB;
    }
    SeriesEntry *entry(int id);
    void styleChanged();

    Layout layout(const QRect &target, const QFontMetricsF &metrics, bool overSpinInLegend) const;
    // The widget's own layout, kept with the background drawn for it while neither changes.
    const Layout &screenLayout();
    bool overSpinInView() const;
    void drawBackground(QPainter *painter, const Layout &layout, const QRect &target) const;
    void drawTraces(QPainter *painter, const Layout &layout);
    void drawExposedTraces(QPainter *painter, const Layout &layout, const QRegion &exposed);
    void drawCursors(QPainter *painter, const Layout &layout) const;
    TraceView traceView(const SeriesEntry &entry, const Layout &layout) const;

    std::optional<Cursor> cursorNear(const QPointF &pos) const;
    // Clamped to the full range; emits viewChangedByUser when the time range changed.
    void setViewByUser(Range time, std::optional<Range> steps = std::nullopt);
    Range clampedToFull(Range time) const;
    void zoomOutOneStep();

    std::vector<SeriesEntry> m_series;
    int m_nextId = 1;
    QString m_timeTitle;
    QString m_stepsTitle;
    bool m_bandShown = true;
    Range m_view { 0, 1000 };
    Range m_full { 0, 1000 };
    Range m_stepsFull { kDefaultMinSteps, kDefaultMaxSteps };
    Range m_stepsView { kDefaultMinSteps, kDefaultMaxSteps };
    CursorState m_cursorA;
    CursorState m_cursorB;
    Cursor m_current = Cursor::A;
    bool m_leftDragZooms = true;

    Drag m_drag = Drag::None;
    Cursor m_dragCursor = Cursor::A;
    QPointF m_dragStart;
    QPointF m_dragNow;
    Range m_dragStartView;

    // Reused from frame to frame.
    TracePathBuilder m_builder;
    std::vector<double> m_overSpinX;
    std::vector<QLineF> m_lines;
    std::vector<QLineF> m_overSpinMarks;
    std::unique_ptr<Layout> m_cachedLayout;
    std::optional<BackgroundKey> m_cachedKey;
    QPixmap m_background; // with the traces, as they were at these revisions of the series
    std::vector<std::pair<quint64, qint64>> m_backgroundRevisions;
    // Paints in a row whose background had changed; from the second on it is not kept.
    int m_backgroundChanges = 0;
    quint64 m_styleGeneration = 0;
    // The view followTimeTo left the picture at, and whether the plot area lies on whole pixels
    // (from the first followTimeTo on).
    std::optional<Range> m_followed;
    bool m_wholePixels = false;
};
