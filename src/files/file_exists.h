// The existence test behind the overwrite question and the " not exist!" message: a lookup that
// sees ordinary files only, the way a directory search with the normal-file attribute does.
#pragma once

#include <QString>

enum class FileEntryKind {
    Missing, // nothing there, or a link that points nowhere
    Ordinary, // a regular file (or a link to one) whose name does not start with a dot
    Other, // a folder, hidden file, device, fifo or socket: never a transient, never replaced
};

// Links are followed: a link to an ordinary file is that file, which is also what saving over it
// writes through to.
FileEntryKind fileEntryKind(const QString &path);

// True when fileName names an ordinary file and its name equals fileTitle, letter case regarded.
// A file system that ignores case finds the file under any casing, and the name compared is the
// one asked for, so there too an existing file is found and the overwrite question asked.
bool FileExists(const QString &fileName, const QString &fileTitle);
