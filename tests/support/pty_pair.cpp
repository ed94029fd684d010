#include "pty_pair.h"

#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // Raw at once: bytes written before the code under test opens the slave would otherwise go
    // through the cooked line discipline (CR to LF, echo, erase characters).
    termios raw {};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // A program a test starts must not inherit the ends: a master kept open there would outlive
    // the test's close, and a pulled adapter would go unnoticed.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (m_master < 0)
            return false;
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            // Full: let the reader drain it.
            pollfd writable { m_master, POLLOUT, 0 };
            QCoreApplication::processEvents();
            ::poll(&writable, 1, 10);
        } else {
            return false;
        }
    }
    return true;
}

bool PtyPair::writeChunked(const QByteArray &bytes, const QList<int> &chunkSizes)
{
    qsizetype done = 0;
    for (int i = 0; done < bytes.size(); ++i) {
        const int size
            = chunkSizes.isEmpty() ? int(bytes.size()) : chunkSizes[i % chunkSizes.size()];
        if (!write(bytes.mid(done, size)))
            return false;
        done += size;
    }
    return true;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
