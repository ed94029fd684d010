// Appending to a file that several programs may append to at the same time, such as a folder's
// history.csv written by velmora-monitor --record and velmora-capture together: the file is
// opened for appending, never read whole and rewritten, and each line goes out in one write of
// the complete line, which appending keeps whole beside the other programs' lines. The header is
// written under an exclusive lock, so two programs creating the file write it once.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The line to append to a file whose header (first line, without its line end) is the given
// one; none when the file is not one of ours, which then stays as it is.
using LineForHeader = std::function<std::optional<QByteArray>(const QByteArray &header)>;

// Creates the file with header (which ends with its line end) when it is missing or empty, then
// appends lineFor's line. A line cut short by an earlier failure keeps its own line. Returns an
// empty text, or what went wrong (without the path): refusal when lineFor gives no line.
QString appendToSharedLog(const QString &path, const QByteArray &header,
    const LineForHeader &lineFor, const QString &refusal);
