// The event log's table.
#include "ui/event_log_model.h"

EventLogModel::EventLogModel(const EventLog &log, QObject *parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_rows(log.count())
    , m_newest(log.count() > 0 ? log.idAt(0) : 0)
{
    connect(&log, &EventLog::rowAdded, this, &EventLogModel::onRowAdded);
    connect(&log, &EventLog::detailChanged, this, &EventLogModel::onDetailChanged);
}

void EventLogModel::onRowAdded()
{
    beginInsertRows(QModelIndex(), 0, 0);
    m_newest = m_log.idAt(0);
    ++m_rows;
    endInsertRows();
    if (m_rows > m_log.count()) {
        beginRemoveRows(QModelIndex(), m_log.count(), m_rows - 1);
        m_rows = m_log.count();
        endRemoveRows();
    }
}

void EventLogModel::onDetailChanged(int logRow)
{
    const EventLog::RowId row = m_newest - m_log.idAt(logRow);
    if (row < EventLog::RowId(m_rows)) {
        const QModelIndex changed = index(int(row), DetailColumn);
        Q_EMIT dataChanged(changed, changed, { Qt::DisplayRole });
    }
}

int EventLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int EventLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EventLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || role != Qt::DisplayRole)
        return QVariant();
    const int row = m_log.rowOf(m_newest - EventLog::RowId(index.row()));
    if (row < 0)
        return QVariant();
    const EventRow &event = m_log.at(row);
    switch (index.column()) {
    case TimeColumn:
        return event.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case EventColumn:
        return event.event;
    case DetailColumn:
        return event.detail;
    default:
        return QVariant();
    }
}

QVariant EventLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time");
    case EventColumn:
        return QStringLiteral("Event");
    case DetailColumn:
        return QStringLiteral("Detail");
    default:
        return QVariant();
    }
}
