// Writing through a temporary file.
#include "files/save_through.h"

#include <QFileInfo>
#include <QSaveFile>

QString saveThrough(const QString &path, const std::function<QString(QIODevice &device)> &write)
{
    const auto failed
        = [&path](const QString &why) { return QStringLiteral("%1: %2").arg(path, why); };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(QStringLiteral("not an ordinary file"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const QString why = write(file);
    if (!why.isEmpty() || file.error() != QFileDevice::NoError) {
        const QString error = why.isEmpty() ? file.errorString() : why;
        file.cancelWriting();
        return failed(error);
    }
    if (!file.commit())
        return failed(file.errorString());
    return QString();
}
