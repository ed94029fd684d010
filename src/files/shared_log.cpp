// Appending to a shared log.
#include "files/shared_log.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const QByteArray &bytes)
{
    // O_APPEND puts the whole buffer at the end in one step; a short write only happens when
    // the disk is full, and is then a failure, not something to finish later.
    const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    return written == bytes.size();
}

// The file's first line without its end, read from the start whatever the append position.
QByteArray firstLine(int fd, qint64 size)
{
    QByteArray head(int(std::min<qint64>(size, 4096)), Qt::Uninitialized);
    const ssize_t got = ::pread(fd, head.data(), size_t(head.size()), 0);
    head.truncate(got < 0 ? 0 : int(got));
    const qsizetype end = head.indexOf('\n');
    return end < 0 ? head : head.left(end);
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

QString appendToSharedLog(const QString &path, const QByteArray &header,
    const LineForHeader &lineFor, const QString &refusal)
{
    const Descriptor file(::open(QFile::encodeName(path).constData(),
        O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0)
        return systemError();
    // Held until the descriptor closes: the header check and the row are one step for everyone
    // who locks, and a writer that does not lock still only ever appends whole lines.
    while (::flock(file.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return systemError();
    }
    struct stat status
    {
    };
    if (::fstat(file.get(), &status) != 0)
        return systemError();
    QByteArray prefix;
    QByteArray existingHeader = header.endsWith('\n') ? header.chopped(1) : header;
    if (status.st_size == 0) {
        prefix = header;
    } else {
        existingHeader = firstLine(file.get(), status.st_size);
        char last = '\n';
        if (::pread(file.get(), &last, 1, status.st_size - 1) == 1 && last != '\n')
            prefix = "\n";
    }
    const std::optional<QByteArray> line = lineFor(existingHeader);
    if (!line)
        return refusal;
    if (!writeAll(file.get(), prefix + *line))
        return systemError();
    return QString();
}
