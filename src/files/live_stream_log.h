// The live deviation stream written as it comes, for velmora-capture --continuous: the capture
// file's header and columns, with its own title line so that no reader takes it for a capture.
//
//   # Velmora Servo Monitor live stream
//   # captured_at,2026-12-08T10:15:30.123+01:00      (the port's opening)
//   # port,Comm 1,/dev/ttyUSB0
//   # sample_rate_hz,5760
//   # trigger_index,                                  (always empty: a stream has no trigger)
//   index,time_ms,deviation_steps,over_spin
//   0,0.000,3,0
//
// index counts the samples received since the opening, from 0; time_ms is index times the
// drive's sample period, so it is the drive's own clock from the first sample received and
// stays so as long as no sample is lost on the line. An over-spin sample has an empty deviation
// and over_spin 1. Rows are kept in memory until flush(), so a run that ends abruptly loses at
// most what came since the last flush.
#pragma once

#include "capture/sample_decoder.h"

#include <QDateTime>
#include <QFile>
#include <QString>

class LiveStreamLog
{
public:
    // "live-YYYYMMDD-HHMMSS-mmm.csv" in the opening's own time of day.
    static QString fileName(const QDateTime &openedAt);

    // The title, captured_at, port, sample rate, trigger and column lines of a stream whose first
    // sample came in at capturedAt. Empty, with *problem set, when the device name holds a
    // control character.
    static QByteArray header(
        const QDateTime &capturedAt, int port, const QString &device, QString *problem);
    // The row of sample index: its time from sample 0, the deviation (empty for a missing or an
    // over-spin sample) and over_spin.
    static void appendRow(QByteArray &to, qint64 index, const SampleValue &value);

    // Creates or empties the file and writes the header. Returns the error.
    QString open(const QString &path, const QDateTime &openedAt, int port, const QString &device);
    void append(const LiveSample &sample);
    // Writes the rows held so far; returns the error, empty on success. The first error stays:
    // nothing more is written after it.
    QString flush();
    // Flushes and closes; returns the error.
    QString close();

    bool isOpen() const { return m_file.isOpen(); }
    qint64 sampleCount() const { return m_samples; }
    qint64 overSpinCount() const { return m_overSpins; }

private:
    QFile m_file;
    QByteArray m_pending;
    QString m_error;
    qint64 m_samples = 0;
    qint64 m_overSpins = 0;
};
