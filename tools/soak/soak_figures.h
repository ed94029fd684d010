// What velmora-soak reads from the programs it runs: the monitor's periodic stats line, the
// simulated drive's count line, and a process's memory and CPU time from /proc.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

struct MonitorStats
{
    quint64 samples = 0; // live pairs shown so far
    quint64 captures = 0; // transients drawn so far
};

struct DriveCounts
{
    quint64 samples = 0;
    quint64 transients = 0;
    quint64 overspinSamples = 0;
    quint64 bytesDropped = 0; // the terminal was full: the reader fell behind
};

struct ProcessUsage
{
    qint64 rssKb = 0;
    qint64 cpuTicks = 0; // user + system, in clock ticks
};

// "velmora-monitor: stats samples=12 captures=3"; nothing for any other line.
std::optional<MonitorStats> parseMonitorStats(const QByteArray &line);
// "velmora-drive-sim: 1 samples, 2 transients, 3 over-spin samples, 4 bytes dropped".
std::optional<DriveCounts> parseDriveCounts(const QByteArray &line);

// utime + stime of a /proc/PID/stat text. The command name in parentheses may itself hold
// blanks and parentheses, so the fields are counted from the last closing parenthesis.
std::optional<qint64> cpuTicksFromStat(const QByteArray &stat);
// VmRSS of a /proc/PID/status text, in kB.
std::optional<qint64> rssKbFromStatus(const QByteArray &status);

// Both figures of a running process; nothing once it is gone.
std::optional<ProcessUsage> readProcessUsage(qint64 pid);
