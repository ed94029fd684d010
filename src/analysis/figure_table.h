// The one table of a capture's figures. Each row is one column of the history file and of
// velmora-capture's JSON line: its key, how it is read from TransientFigures, its unit and its
// rounding. The first row of each figure the analysis window shows also carries the figure's
// caption and definition, so the history file, the JSON keys, the history table's columns, the
// window's captions, values and tooltips, the Definitions tab and the clipboard all come from
// here: a new figure or column is one more row.
#pragma once

#include "analysis/figure_number.h"
#include "analysis/transient_figures.h"

#include <QList>
#include <QString>

#include <optional>

// How a figure of the shown capture is set against a reference's: by its value, or by its size
// where the sign only tells the direction of the move (peak, overshoot); with the change as a
// share of the reference's too, or not.
enum class FigureComparison { None, Value, ValueAndShare, SizeAndShare };

struct FigureColumn
{
    const char *key; // "peak_ms": the files' column and the JSON key
    // The figure this row starts, named by the stem of the window's labels (peakTimeCaption,
    // peakTimeValue); null on a row that adds a column to the figure above it.
    const char *figure;
    const char *caption; // "Peak time"; with figure only
    const char *definition; // the figure's tooltip and its entry in the Definitions tab
    const char *header; // the history table's column header; null where the table leaves it out
    const char *unit; // "ms", "steps", "%"; empty for a pure number
    int decimals;
    std::optional<FigureNumber> (*value)(const TransientFigures &);
    // The window's text of the figure where it is more than this row's value and unit.
    QString (*display)(const TransientFigures &) = nullptr;
    // What stands for no value where it is more than "—" ("not settled").
    QString (*none)(const TransientFigures &) = nullptr;
    FigureComparison comparison = FigureComparison::None;
};

const QList<FigureColumn> &figureColumns();

// The column's value rounded, without unit; empty for none: what the files carry.
QString figureNumberText(const FigureColumn &column, const TransientFigures &figures);
// The value, or what stands for none: what the history table shows.
QString figureCellText(const FigureColumn &column, const TransientFigures &figures);
// The figure's text in the window, with its unit: "+143 steps", "8.160 ms", "not settled".
QString figureDisplayText(const FigureColumn &figure, const TransientFigures &figures);

// The shown capture's figure against a reference's, shown minus reference: "-12 steps (-7.2 %)",
// "+0.012"; "—" when either has none. Empty for a column that is not compared.
QString figureChangeText(
    const FigureColumn &column, const TransientFigures &shown, const TransientFigures &reference);

// The definition's first sentence, for a report's short list.
QString figureBriefDefinition(const FigureColumn &figure);

// The rows that start a figure, in the window's order.
QList<const FigureColumn *> figureRows();

// The Definitions tab's closing paragraphs: how the values are rounded and how samples count.
QString figureRoundingNote();
QString figureSamplingNote();
