// Recording captures into a folder.
#include "files/transient_recorder.h"

#include "capture/capture_session.h"
#include "files/transient_csv.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

// Beyond this many captures within one millisecond something else is wrong.
constexpr int kMaxSameName = 1000;

const QString kHistoryName = QStringLiteral("history.csv");

} // namespace

QString checkWritableFolder(const QString &dir)
{
    if (dir.isEmpty())
        return QStringLiteral("no folder given");
    const QFileInfo info(dir);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1: not a folder").arg(dir);
    if (!info.exists() && !QDir().mkpath(dir))
        return QStringLiteral("%1: the folder cannot be created").arg(dir);
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".velmora-write-check-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("%1: cannot write in the folder: %2").arg(dir, probe.errorString());
    return QString();
}

QString createUniqueFile(const QDir &dir, const QString &name, QString *error)
{
    const QFileInfo parts(name);
    const QString suffix = parts.suffix().isEmpty() ? QString() : QLatin1Char('.') + parts.suffix();
    const QString stem = parts.completeBaseName();
    for (int n = 1; n <= kMaxSameName; ++n) {
        const QString candidate
            = n == 1 ? name : QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
        QFile file(dir.filePath(candidate));
        // NewOnly makes taking the name atomic, also against another program writing there.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        if (!QFileInfo::exists(file.fileName())) {
            *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
            return QString();
        }
    }
    *error = QStringLiteral("%1: %2 files of that name already")
                 .arg(dir.filePath(name))
                 .arg(kMaxSameName);
    return QString();
}

TransientRecorder::TransientRecorder(const QString &dir, QObject *parent)
    : QObject(parent)
    , m_dir(dir)
{
}

void TransientRecorder::listen(const CaptureSession &session)
{
    connect(&session, &CaptureSession::transientCaptured, this,
        [this](const TransientCapture &capture) { record(capture); });
}

QString TransientRecorder::historyPath() const
{
    return m_dir.filePath(kHistoryName);
}

bool TransientRecorder::record(const TransientCapture &capture)
{
    const QString fileName = writeCaptureFile(capture);
    const QString historyError = appendTransientHistory(historyPath(), capture, fileName);
    if (!historyError.isEmpty())
        Q_EMIT writeFailed(historyError);
    Q_EMIT recorded(capture, fileName);
    return !fileName.isEmpty() && historyError.isEmpty();
}

QString TransientRecorder::writeCaptureFile(const TransientCapture &capture)
{
    QString error;
    const QString fileName
        = createUniqueFile(m_dir, transientCsvFileName(capture.capturedAt), &error);
    if (fileName.isEmpty()) {
        Q_EMIT writeFailed(error);
        return QString();
    }
    const QString path = m_dir.filePath(fileName);
    error = writeTransientCsv(path, capture);
    if (!error.isEmpty()) {
        // The empty file that held the name would read as a broken capture.
        QFile::remove(path);
        Q_EMIT writeFailed(error);
        return QString();
    }
    return fileName;
}
