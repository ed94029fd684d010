// Writing a file so that it appears complete or not at all: the bytes go to a temporary file
// beside it, which replaces it only once everything is written (QSaveFile). An existing file
// stays as it was after any failure, and nothing half-written is left behind.
#pragma once

#include <QString>

#include <functional>

class QIODevice;

// write puts the content on the device and returns what went wrong, or an empty text. Returns
// an empty text, or one line that names the file and what went wrong.
QString saveThrough(const QString &path, const std::function<QString(QIODevice &device)> &write);
