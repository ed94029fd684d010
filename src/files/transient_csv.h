// A capture as a CSV file a person can open anywhere, the history file of many captures, and the
// reader that takes the monitor's own capture files back and refuses anything else.
//
// A capture file is UTF-8 with LF line ends, '.' decimals and ',' separators whatever the locale:
//   # Velmora Servo Monitor transient
//   # captured_at,2026-12-08T10:15:30.123+01:00
//   # port,Comm 1,/dev/ttyUSB0
//   # sample_rate_hz,5760
//   # trigger_index,128                       (empty when nothing exceeds 20 steps)
//   # note,"P 12, FF1 30"                     (only with a note: one CSV field, quoted when it
//                                              holds a comma, a quote or a line break)
//   index,time_ms,deviation_steps,over_spin
//   0,-22.222,3,0                             (one row per sample, 0.001 ms, time 0 at the trigger)
// A missing sample has an empty deviation and over_spin 0, an over-spin sample an empty deviation
// and over_spin 1. The device is the rest of the port line and may hold commas.
//
// Reading is exact: every number must be written as the monitor writes it, the times and the
// trigger index must be the ones the samples give, and a file is accepted only if writing what
// was read gives the same bytes back (a missing last line end aside), with two exceptions that a
// file meets when a spreadsheet or a Windows editor saves it unchanged: CR LF line ends and a
// UTF-8 byte order mark.
#pragma once

#include "capture/transient_samples.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// A full capture file is under 50 KB; anything much larger is no capture file.
inline constexpr qint64 kTransientCsvMaxBytes = 1024 * 1024;

struct TransientCsvRead
{
    std::optional<TransientCapture> capture; // set only when the file was accepted
    int line = 0; // the line the error is about, from 1; 0 for the file as a whole
    QString error; // "name, line 7: bad number "1O" in deviation_steps"; empty on success
};

// The file's content; call transientCaptureProblem() first, it is not checked here.
QByteArray transientCsvBytes(const TransientCapture &capture);
// What keeps a capture from being written as a file the reader accepts; empty when nothing does.
QString transientCaptureProblem(const TransientCapture &capture);
// Writes through QSaveFile, so a failed write leaves an existing file as it was. Returns the
// error, empty on success.
QString writeTransientCsv(const QString &path, const TransientCapture &capture);

// name only goes into the messages.
TransientCsvRead readTransientCsv(const QByteArray &content, const QString &name);
TransientCsvRead readTransientCsv(const QString &path);

// "transient-YYYYMMDD-HHMMSS-mmm.csv" in the capture's own time of day.
QString transientCsvFileName(const QDateTime &capturedAt);
// ISO 8601 with milliseconds and the UTC offset, "+00:00" rather than "Z".
QString transientTimeText(const QDateTime &capturedAt);
// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line break.
QString csvField(const QString &text);

// The history file: a header row, then one row per capture with the figures rounded as shown and
// an empty field for none; `file` names the capture's file, empty when it was not written.
QByteArray transientHistoryHeader();
// Its column names: captured_at, the table of figures' keys, file.
QStringList transientHistoryColumns();

// A note as typed (a text box, a command line) made fit for the files: CR LF and CR become line
// breaks, tabs and other control characters blanks, and the ends are trimmed.
QString cleanNote(const QString &typed);
// Column name and text of each field of a capture's history row; the command line prints the
// same pairs.
QList<std::pair<QString, QString>> transientHistoryFields(
    const TransientCapture &capture, const QString &fileName);
QByteArray transientHistoryRow(const TransientCapture &capture, const QString &fileName);
// Writes the header and the rows (each with its line end) through QSaveFile; returns the error.
QString writeTransientHistory(const QString &path, const QByteArrayList &rows);
// Adds one row, creating the file with its header, as one appended line (see shared_log.h), so
// programs recording into one folder together lose no row. A history file of ours written before
// a column was added keeps its columns; anything else is left alone and reported. Returns the
// error, empty on success.
QString appendTransientHistory(
    const QString &path, const TransientCapture &capture, const QString &fileName);
