// Writes each transient a capture session captures into a folder: a capture file of its own and
// a row of the folder's history.csv. The monitor's --record and velmora-capture both record
// through it, so their folders read the same.
#pragma once

#include "capture/transient_samples.h"

#include <QDir>
#include <QObject>
#include <QString>

class CaptureSession;

// Makes the folder when it is missing and proves it can be written by creating and removing a
// file in it (a permission check would pass for root on a read-only folder, and say nothing of a
// full or read-only file system). Returns one line naming the folder and what is wrong, or an
// empty text.
QString checkWritableFolder(const QString &dir);

// Creates name in dir as a new, empty file; when that name is taken, "stem-2.ext", "stem-3.ext"...
// so that nothing already there is overwritten. Returns the name created, or an empty text with
// *error set.
QString createUniqueFile(const QDir &dir, const QString &name, QString *error);

class TransientRecorder : public QObject
{
    Q_OBJECT
public:
    explicit TransientRecorder(const QString &dir, QObject *parent = nullptr);

    // Records every transient the session captures from now on.
    void listen(const CaptureSession &session);
    // Writes the capture file and appends its history row. Each failure is reported through
    // writeFailed; a capture whose file could not be written still gets its history row, with
    // an empty file name. Returns true when both were written.
    bool record(const TransientCapture &capture);

    QString historyPath() const;

Q_SIGNALS:
    // Every capture, once its writing is over; fileName is its file within the folder, empty
    // when that could not be written.
    void recorded(const TransientCapture &capture, const QString &fileName);
    // One line naming the file and what went wrong.
    void writeFailed(const QString &message);

private:
    QString writeCaptureFile(const TransientCapture &capture);

    QDir m_dir;
};
