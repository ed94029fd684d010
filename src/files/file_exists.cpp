// Existence test for the transient bitmap files.
#include "files/file_exists.h"

#include <QFileInfo>

FileEntryKind fileEntryKind(const QString &path)
{
    if (path.isEmpty())
        return FileEntryKind::Missing;
    const QFileInfo info(path);
    if (!info.exists())
        return FileEntryKind::Missing;
    // isFile() is false for folders, devices, fifos and sockets; isHidden() is the leading dot.
    if (info.isFile() && !info.isHidden())
        return FileEntryKind::Ordinary;
    return FileEntryKind::Other;
}

bool FileExists(const QString &fileName, const QString &fileTitle)
{
    return fileEntryKind(fileName) == FileEntryKind::Ordinary
        && QFileInfo(fileName).fileName() == fileTitle;
}
