// One phase of a soak run: the simulated drive on a pseudo-terminal and the real monitor on it,
// both in one mode, for a set time. Prints a row of figures every interval and returns the
// phase's totals.
#pragma once

#include "soak_figures.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTextStream>

#include <csignal>
#include <functional>

struct SoakSettings
{
    QString monitorProgram;
    QString simProgram;
    double minutes = 60.0; // the whole run
    bool continuous = true;
    bool triggered = true;
    int intervalSeconds = 60;
    int bytesPerSecond = 11520;
    quint64 seed = 1;
};

struct PhaseResult
{
    QString failure; // empty when both programs ran and stopped as they should
    bool triggered = false;
    double seconds = 0.0;
    double rssStartMb = 0.0;
    double rssEndMb = 0.0;
    double rssPeakMb = 0.0;
    double meanCpuPercent = 0.0;
    MonitorStats shown;
    DriveCounts sent;

    // Pairs the drive put on the line that the monitor did not show (continuous), or transients
    // it sent that were not drawn (triggered); negative if the monitor counted more.
    qint64 lost() const;
};

class SoakPhase : public QObject
{
    Q_OBJECT
public:
    SoakPhase(const SoakSettings &settings, bool triggered, double seconds, QTextStream &out,
        const volatile std::sig_atomic_t *interrupted);
    ~SoakPhase() override;

    PhaseResult run();

private:
    bool startDrive();
    bool startMonitor(const QString &configDir, const QString &runtimeDir);
    void sampleRow(bool last);
    void stopMonitor();
    // Runs the event loop until done() or timeoutMs; false on timeout or interruption.
    bool spinUntil(const std::function<bool()> &done, qint64 timeoutMs);
    void onMonitorOutput();
    void onMonitorErrors();
    void onDriveErrors();
    QString modeName() const;

    SoakSettings m_settings;
    bool m_triggered;
    double m_seconds;
    QTextStream &m_out;
    const volatile std::sig_atomic_t *m_interrupted;

    QProcess m_drive;
    QProcess m_monitor;
    QString m_ptyPath;
    MonitorStats m_stats;
    quint64 m_statsLines = 0;
    DriveCounts m_counts;

    QElapsedTimer m_clock;
    qint64 m_firstMs = 0;
    qint64 m_lastMs = 0;
    ProcessUsage m_firstUsage;
    ProcessUsage m_lastUsage;
    double m_rssPeakKb = 0.0;
    long m_ticksPerSecond = 100;
};
