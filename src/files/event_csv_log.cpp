// Appending events to events.csv.
#include "files/event_csv_log.h"

#include "analysis/event_log.h"
#include "files/shared_log.h"
#include "files/transient_csv.h"

#include <QDir>
#include <QFileInfo>

QString EventCsvLog::pathIn(const QString &dir)
{
    return QDir(dir).filePath(QStringLiteral("events.csv"));
}

EventCsvLog::EventCsvLog(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{
}

void EventCsvLog::listen(const EventLog &log)
{
    connect(&log, &EventLog::rowFinished, this, &EventCsvLog::append);
}

bool EventCsvLog::append(const EventRow &row)
{
    const QFileInfo info(m_path);
    // A fifo or a device would take the header and then hold the program up.
    QString error
        = info.exists() && !info.isFile() ? QStringLiteral("not an ordinary file") : QString();
    if (error.isEmpty()) {
        const QByteArray header = eventCsvHeader();
        error = appendToSharedLog(
            m_path, header,
            [&](const QByteArray &existing) -> std::optional<QByteArray> {
                if (existing + '\n' != header)
                    return std::nullopt;
                return eventCsvRow(row);
            },
            QStringLiteral("not an events file (its first line is not the header)"));
    }
    if (error.isEmpty()) {
        m_failing = false;
        return true;
    }
    if (!m_failing)
        Q_EMIT writeFailed(QStringLiteral("%1: %2").arg(m_path, error));
    m_failing = true;
    return false;
}

QByteArray eventCsvHeader()
{
    return "time,event,detail\n";
}

QByteArray eventCsvRow(const EventRow &row)
{
    return (transientTimeText(row.time) + QLatin1Char(',') + csvField(row.event) + QLatin1Char(',')
        + csvField(row.detail) + QLatin1Char('\n'))
        .toUtf8();
}
