// This run's captures as the analysis window's history table: the time of day, the port and the
// figure columns of the table of figures that have a header, newest first. Kept from start-up,
// so captures made while the analysis window is closed are there when it opens.
#pragma once

#include "analysis/transient_history.h"

#include <QAbstractTableModel>

class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Time, port, the figures, then the note, which the tuner can edit.
    enum FixedColumn { TimeColumn, PortColumn, FirstFigureColumn };

    explicit HistoryTableModel(QObject *parent = nullptr);

    const TransientHistory &history() const { return m_history; }
    int count() const { return m_history.count(); }
    // Row 0 is the newest.
    const TransientHistory::Entry &at(int row) const { return m_history.at(row); }

    // Puts a capture in row 0, dropping the oldest beyond the history's limit.
    void add(const TransientCapture &capture);

    // The model column of a figure column's key, -1 when the table does not show it.
    int columnOf(const char *key) const;
    int noteColumn() const { return columnCount() - 1; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Only the note can be set; it is made fit for the files first (cleanNote).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // Row 0 holds a new capture.
    void captureAdded();

private:
    TransientHistory m_history;
};

// "10:15:30.123, Comm 1 (/dev/ttyUSB0) — P 12, FF1 30": the capture as lists and legends name
// it, with the first line of its note.
QString transientCaptureLabel(const TransientCapture &capture);
