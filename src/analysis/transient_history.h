// This run's captures for the analysis window: the last 200 with their figures, newest first,
// as a table of the time of day and the figures. It follows the capture session from the start,
// so captures made while the window is closed are there when it opens.
#pragma once

#include "analysis/transient_figures.h"
#include "capture/transient_samples.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

class CaptureSession;

class TransientHistory : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kMaxCaptures = 200;

    enum Column {
        TimeColumn,
        PortColumn,
        PeakColumn,
        PeakTimeColumn,
        OvershootColumn,
        OvershootPercentColumn,
        SettleColumn,
        RingColumn,
        DampingColumn,
        MeanColumn,
        RmsColumn,
        OverSpinColumn,
        ColumnCount
    };

    struct Entry
    {
        TransientCapture capture;
        TransientFigures figures;
        TransientFigureNumbers numbers; // what the table shows
    };

    explicit TransientHistory(QObject *parent = nullptr);

    // Takes every capture the session reports from now on, stamped with the time it came in, the
    // session's port number and what deviceOf says that port names.
    void follow(const CaptureSession &session, std::function<QString(int)> deviceOf);
    // Puts a capture in row 0, dropping the oldest beyond kMaxCaptures.
    void add(const TransientCapture &capture);

    int count() const { return int(m_entries.size()); }
    // Row 0 is the newest.
    const Entry &at(int row) const { return m_entries.at(row); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // Row 0 holds a new capture.
    void captureAdded();

private:
    QList<Entry> m_entries;
};

// The session's last capture (bytes 1..4100 of its buffer) as samples, stamped with the current
// time and its UTC offset.
TransientCapture transientCaptureOf(const CaptureSession &session, const QString &device);
// "10:15:30.123, Comm 1 (/dev/ttyUSB0)": the capture as lists and legends name it.
QString transientCaptureLabel(const TransientCapture &capture);
