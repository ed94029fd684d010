// An event log as a table: time of day, event and detail, newest first. Each new row is one
// insertion at the top and, once the log is full, one removal at the bottom, so a view keeps up
// with rows arriving fast.
#pragma once

#include "analysis/event_log.h"

#include <QAbstractTableModel>

class EventLogModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TimeColumn, EventColumn, DetailColumn, ColumnCount };

    explicit EventLogModel(const EventLog &log, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void onRowAdded();
    void onDetailChanged(int logRow);

    const EventLog &m_log;
    // The rows as the views know them: the log has changed already when it says so, so model
    // rows are found by the log's row ids, counting down from the newest the views were told of.
    int m_rows = 0;
    EventLog::RowId m_newest = 0;
};
