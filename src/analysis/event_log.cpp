// The event log's rows.
#include "analysis/event_log.h"

int EventLog::rowOf(RowId id) const
{
    if (id >= m_added)
        return -1;
    const RowId row = m_added - 1 - id;
    return row < RowId(count()) ? int(row) : -1;
}

EventLog::RowId EventLog::put(const EventRow &row)
{
    m_rows.push_front(row);
    if (count() > kMaxRows)
        m_rows.pop_back();
    const RowId id = m_added++;
    Q_EMIT rowAdded();
    return id;
}

void EventLog::add(const EventRow &row)
{
    put(row);
    Q_EMIT rowFinished(row);
}

EventLog::RowId EventLog::addOpen(const EventRow &row)
{
    const RowId id = put(row);
    m_open.emplace(id, row);
    return id;
}

void EventLog::setDetail(RowId id, const QString &detail)
{
    const auto open = m_open.find(id);
    if (open == m_open.end())
        return;
    open->second.detail = detail;
    const int row = rowOf(id);
    if (row < 0)
        return;
    m_rows[size_t(row)].detail = detail;
    Q_EMIT detailChanged(row);
}

void EventLog::finish(RowId id)
{
    const auto open = m_open.find(id);
    if (open == m_open.end())
        return;
    const EventRow row = open->second;
    m_open.erase(open);
    Q_EMIT rowFinished(row);
}
