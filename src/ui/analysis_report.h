// The analysis window's report: one A4 page as a PDF file, with the shown capture's time, port
// and note, the chart with its references and cursors, the figures beside the reference's and
// the change, the cursors' read-out and the figures' definitions in short. Its text is text
// (selectable, found by a search) and its chart is drawn in vectors.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class PlotWidget;

struct AnalysisReport
{
    QString title;
    QList<std::pair<QString, QString>> facts; // "Captured", "2026-12-08 10:15:30.123 +01:00"
    QStringList figureHeader; // the figures' column headers, the caption's empty
    QList<QStringList> figureRows; // caption, shown, and with a reference: its value and change
    QList<std::pair<QString, QString>> cursors; // "tA", "12.847 ms"
    QList<std::pair<QString, QString>> definitions; // caption, in short
    QString footer;
};

// Writes the report with the chart as plot draws it. Returns an empty text, or one line naming
// the file and what went wrong; a file that cannot be written is left as it was.
QString writeAnalysisReport(const QString &path, const AnalysisReport &report, PlotWidget &plot);
