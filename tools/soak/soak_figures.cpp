// Parsing of the lines and /proc files velmora-soak watches.
#include "soak_figures.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

namespace {

std::optional<quint64> wholeNumber(const QString &text)
{
    bool ok = false;
    const quint64 value = text.toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

QByteArray readProcFile(qint64 pid, const char *name)
{
    // /proc files report a size of 0, so read until the end rather than by size.
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<MonitorStats> parseMonitorStats(const QByteArray &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^velmora-monitor: stats samples=(\\d+) captures=(\\d+)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<quint64> samples = wholeNumber(match.captured(1));
    const std::optional<quint64> captures = wholeNumber(match.captured(2));
    if (!samples || !captures)
        return std::nullopt;
    return MonitorStats { *samples, *captures };
}

std::optional<DriveCounts> parseDriveCounts(const QByteArray &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^velmora-drive-sim: (\\d+) samples, (\\d+) transients, (\\d+) over-spin "
                       "samples, (\\d+) bytes dropped\\s*$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return std::nullopt;
    quint64 values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<quint64> value = wholeNumber(match.captured(i + 1));
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    return DriveCounts { values[0], values[1], values[2], values[3] };
}

std::optional<qint64> cpuTicksFromStat(const QByteArray &stat)
{
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    // After the name: state (field 3) ... utime (14), stime (15).
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    constexpr int kUtime = 14 - 3;
    constexpr int kStime = 15 - 3;
    if (fields.size() <= kStime)
        return std::nullopt;
    bool userOk = false;
    bool systemOk = false;
    const qint64 user = fields.at(kUtime).toLongLong(&userOk);
    const qint64 system = fields.at(kStime).toLongLong(&systemOk);
    if (!userOk || !systemOk || user < 0 || system < 0)
        return std::nullopt;
    return user + system;
}

std::optional<qint64> rssKbFromStatus(const QByteArray &status)
{
    const QList<QByteArray> lines = status.split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("VmRSS:"))
            continue;
        const QList<QByteArray> words = line.mid(6).simplified().split(' ');
        bool ok = false;
        const qint64 kb = words.value(0).toLongLong(&ok);
        if (!ok || kb < 0 || words.value(1) != "kB")
            return std::nullopt;
        return kb;
    }
    return std::nullopt;
}

std::optional<ProcessUsage> readProcessUsage(qint64 pid)
{
    const std::optional<qint64> ticks = cpuTicksFromStat(readProcFile(pid, "stat"));
    const std::optional<qint64> rss = rssKbFromStatus(readProcFile(pid, "status"));
    if (!ticks || !rss)
        return std::nullopt;
    return ProcessUsage { *rss, *ticks };
}
