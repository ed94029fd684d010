// A recording folder's events.csv: every finished row of an event log, appended as one whole
// line (see shared_log.h), so the monitor and velmora-capture can record into one folder:
//   time,event,detail
//   2026-12-08T10:15:30.123+01:00,start,"continuous, Comm 1 (/dev/ttyUSB0)"
// A row goes in once it is complete, so the file is only ever appended to.
#pragma once

#include <QObject>
#include <QString>

class EventLog;
struct EventRow;

class EventCsvLog : public QObject
{
    Q_OBJECT
public:
    // The events file of a recording folder.
    static QString pathIn(const QString &dir);

    explicit EventCsvLog(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }
    // Appends every row of log as it is finished.
    void listen(const EventLog &log);
    // Creates the file with its header when needed and appends the row; false when it failed.
    bool append(const EventRow &row);

Q_SIGNALS:
    // "<path>: <reason>", for the first failure, and again only for the first after a row got
    // in: a full disk is said once, not for every event.
    void writeFailed(const QString &message);

private:
    QString m_path;
    bool m_failing = false;
};

QByteArray eventCsvHeader();
QByteArray eventCsvRow(const EventRow &row);
