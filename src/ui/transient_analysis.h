// The transient analysis window: the shown capture on a chart in physical units with the +-10
// step band, two cursors, the figures with their definitions, this run's history, up to eight
// references on one scale, and the capture and history files. A thin view: the history, the
// references and the scale are widget-free classes, the figures and files come from the capture
// and files layers, and every question to the user goes through UserPrompts.
#pragma once

#include "analysis/sample_series.h"
#include "analysis/transient_references.h"
#include "ui/history_table_model.h"

#include <QWidget>

#include <deque>
#include <memory>
#include <optional>

namespace Ui {
class TransientAnalysis;
}

class QLabel;
struct FigureColumn;
class UserPrompts;

class TransientAnalysis : public QWidget
{
    Q_OBJECT
public:
    // A window of its own over parent; it shows the newest capture of history now and whenever
    // one comes in.
    TransientAnalysis(HistoryTableModel &history, UserPrompts &prompts, QWidget *parent = nullptr);
    ~TransientAnalysis() override;

    // The capture on the chart, none before the first.
    const std::optional<TransientHistory::Entry> &shown() const { return m_shown; }
    const TransientReferences &references() const { return m_references; }
    // As typing the two times would; each snaps to the nearest sample of the shown capture.
    void placeCursors(double aMs, double bMs);

public Q_SLOTS:
    void setAsReference();
    void loadCsv();
    void removeReference();
    void exportCsv();
    void exportHistory();
    void copyFigures();

private:
    void wireHandlers();
    // The figures' captions, tooltips, Definitions and the comparison columns, from the table.
    void setUpFigures();
    void updateComparison();
    // The reference the figures are compared with; null without references.
    const TransientReferences::Reference *comparedReference() const;
    void showNewest();
    void showSelectedRow();
    void showEntry(const TransientHistory::Entry &entry);
    void addReference(const TransientCapture &capture, const QString &name);
    void rebuildSeries();
    void updateCursors();
    void updateControls();
    QString askSavePath(const QString &title, const QString &proposed);
    void reportProblem(const QString &text);

    std::unique_ptr<Ui::TransientAnalysis> m_ui;
    HistoryTableModel &m_history;
    UserPrompts &m_prompts;
    TransientReferences m_references;
    // A copy, so it stays shown after the history has dropped it.
    std::optional<TransientHistory::Entry> m_shown;
    double m_cursorA = 0;
    double m_cursorB = 0;
    bool m_cursorsPlaced = false;
    // What the chart draws; a deque, so the chart's pointers stay valid as it grows.
    SampleSeries m_shownSamples;
    std::deque<SampleSeries> m_referenceSamples;
    struct ComparisonRow
    {
        const FigureColumn *figure;
        QLabel *reference;
        QLabel *change; // null for a figure that is not compared
    };
    QList<ComparisonRow> m_comparison;
};
