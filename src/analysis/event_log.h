// What happened on the link, for a tuner hunting an intermittent fault: rows of time, event and
// detail, newest first, the last 10 000 of them. A row whose detail is still to change (an
// over-spin run under way, a burst of resyncs) is added open and finished later; each row is
// announced finished once, with its final detail, so a file can take it as it will stay.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <deque>
#include <map>

struct EventRow
{
    QDateTime time; // local time with its UTC offset
    QString event; // "start", "stop", "over-spin"...
    QString detail;
};

class EventLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxRows = 10000;
    // Rows are numbered from 0 in the order they came; a number stays with its row.
    using RowId = quint64;

    using QObject::QObject;

    int count() const { return int(m_rows.size()); }
    // Row 0 is the newest.
    const EventRow &at(int row) const { return m_rows[size_t(row)]; }
    RowId idAt(int row) const { return m_added - 1 - RowId(row); }
    // -1 once the row has been dropped.
    int rowOf(RowId id) const;

    // Puts a finished row first, dropping the oldest beyond kMaxRows.
    void add(const EventRow &row);
    // Puts a row first that is finished later, even if it has been dropped by then.
    RowId addOpen(const EventRow &row);
    void setDetail(RowId id, const QString &detail);
    void finish(RowId id);

Q_SIGNALS:
    // Row 0 is new; the oldest row may be gone.
    void rowAdded();
    void detailChanged(int row);
    // The row is complete: its detail stays as it is now.
    void rowFinished(const EventRow &row);

private:
    RowId put(const EventRow &row);

    std::deque<EventRow> m_rows;
    std::map<RowId, EventRow> m_open; // kept here too, as the shown rows may drop them
    RowId m_added = 0;
};
