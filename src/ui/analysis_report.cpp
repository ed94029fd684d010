// The analysis report as a PDF page.
#include "ui/analysis_report.h"

#include "files/save_through.h"
#include "ui/plot/plot_widget.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

// One unit a point, so fonts and sizes read as on paper.
constexpr int kPointsPerInch = 72;
constexpr qreal kChartHeight = 300;
constexpr qreal kGap = 8;

class Page
{
public:
    Page(QPainter &painter, const QRectF &area)
        : m_painter(painter)
        , m_area(area)
        , m_y(area.top())
    {
    }

    void text(const QString &line, qreal points, bool bold = false)
    {
        setFont(points, bold);
        const QRectF box(m_area.left(), m_y, m_area.width(), m_area.bottom() - m_y);
        QRectF used;
        m_painter.drawText(box, Qt::TextWordWrap, line, &used);
        m_y += used.height();
    }

    // Columns side by side, the first as wide as its longest entry.
    void table(const QList<QStringList> &rows, qreal points, bool boldFirstRow)
    {
        int columns = 0;
        for (const QStringList &row : rows)
            columns = std::max(columns, int(row.size()));
        if (columns == 0)
            return;
        setFont(points, false);
        QList<qreal> widths(columns, 0);
        for (const QStringList &row : rows) {
            for (qsizetype c = 0; c < row.size(); ++c)
                widths[c] = std::max(
                    widths[c], QFontMetricsF(m_painter.font()).horizontalAdvance(row.at(c)));
        }
        const qreal rest = m_area.width() - widths.first() - kGap;
        for (qsizetype c = 1; c < columns; ++c)
            widths[c] = rest / (columns - 1);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            setFont(points, boldFirstRow && r == 0);
            qreal x = m_area.left();
            const qreal height = QFontMetricsF(m_painter.font()).height();
            for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
                m_painter.drawText(QRectF(x, m_y, widths.at(c), height),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, rows.at(r).at(c));
                x += widths.at(c) + (c == 0 ? kGap : 0);
            }
            m_y += height;
        }
    }

    void skip(qreal points) { m_y += points; }
    QRectF take(qreal height)
    {
        const QRectF box(m_area.left(), m_y, m_area.width(), height);
        m_y += height;
        return box;
    }
    qreal room() const { return m_area.bottom() - m_y; }
    qreal y() const { return m_y; }

private:
    void setFont(qreal points, bool bold)
    {
        QFont font = m_painter.font();
        font.setPointSizeF(points);
        font.setBold(bold);
        m_painter.setFont(font);
    }

    QPainter &m_painter;
    QRectF m_area;
    qreal m_y;
};

} // namespace

QString writeAnalysisReport(const QString &path, const AnalysisReport &report, PlotWidget &plot)
{
    return saveThrough(path, [&](QIODevice &file) {
        QPdfWriter pdf(&file);
        pdf.setTitle(report.title);
        pdf.setCreator(report.footer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        pdf.setResolution(kPointsPerInch);
        QPainter painter;
        if (!painter.begin(&pdf))
            return QStringLiteral("cannot draw the report");
        QFont font(QStringLiteral("Liberation Sans"));
        painter.setFont(font);
        Page page(painter, QRectF(QPointF(0, 0), pdf.pageLayout().paintRectPoints().size()));

        page.text(report.title, 15, true);
        page.skip(4);
        QList<QStringList> facts;
        for (const auto &[name, value] : report.facts)
            facts.append({ name, value });
        page.table(facts, 9, false);
        page.skip(kGap);

        // The chart at its on-screen proportions where the page allows.
        const QRectF chart = page.take(kChartHeight);
        plot.render(&painter, chart.toRect());
        page.skip(kGap);

        QList<QStringList> figures { report.figureHeader };
        figures.append(report.figureRows);
        page.table(figures, 8.5, true);
        page.skip(kGap);

        QStringList cursorLine;
        for (const auto &[name, value] : report.cursors)
            cursorLine << name + QStringLiteral(" ") + value;
        page.text(QStringLiteral("Cursors: ") + cursorLine.join(QStringLiteral(",  ")), 8);
        page.skip(kGap);

        page.text(QStringLiteral("Definitions"), 9, true);
        for (const auto &[caption, brief] : report.definitions)
            page.text(caption + QStringLiteral(": ") + brief, 7);
        page.skip(kGap);
        page.text(report.footer, 7);
        painter.end();
        return QString();
    });
}
