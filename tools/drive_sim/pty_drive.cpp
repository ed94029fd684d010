// The simulated drive's pseudo-terminal, its pacing clock and the reader watch.
#include "pty_drive.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr qint64 kNsPerMs = 1000000;
constexpr qint64 kNsPerSecond = 1000000000;
// Late by more than this (the machine was suspended, the process stopped): skip ahead instead
// of catching up tick by tick.
constexpr qint64 kLateNs = 100 * kNsPerMs;

using Clock = std::chrono::steady_clock; // the monotonic clock

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void sleepUntil(qint64 ns)
{
    std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(ns)));
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(
        QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
}

bool hungUp(int fd)
{
    pollfd watched { fd, POLLOUT, 0 };
    return poll(&watched, 1, 0) == 1 && (watched.revents & POLLHUP);
}
} // namespace

PtyDrive::PtyDrive(std::unique_ptr<DriveSender> sender, bool triggered)
    : m_sender(std::move(sender))
    , m_triggered(triggered)
{
}

PtyDrive::~PtyDrive()
{
    if (m_watch >= 0)
        ::close(m_watch);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyDrive::open(QString *error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0
        || ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("pseudo-terminal");
        return false;
    }
    // On Linux the master reaches the slave's settings, so the slave is never opened here: an
    // opening of ours would look like the reader's.
    termios settings {};
    if (tcgetattr(m_master, &settings) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    settings.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(m_master, TCSANOW, &settings) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);

    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
    return true;
}

void PtyDrive::setOpenings(int openings)
{
    m_openings = std::max(0, openings);
    if (!readerPresent())
        m_carryValid = false; // half a sample is no use to the next reader
    // An edge of RTS at this instant, even when the state comes back before the next chunk.
    m_sender->bytesDue(m_sender->elapsedNs(), requestToSend());
}

void PtyDrive::followReader()
{
    if (m_watch < 0) {
        const bool present = !hungUp(m_master);
        if (present != readerPresent())
            setOpenings(present ? 1 : 0);
        return;
    }
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = read(m_watch, buffer, sizeof buffer);
        if (length <= 0)
            return;
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            at += ssize_t(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW)
                setOpenings(hungUp(m_master) ? 0 : 1);
            else if (event.mask & IN_OPEN)
                setOpenings(m_openings + 1);
            else if (event.mask & IN_CLOSE)
                setOpenings(m_openings - 1);
        }
    }
}

void PtyDrive::discardReaderOutput()
{
    char ignored[256];
    while (read(m_master, ignored, sizeof ignored) > 0) { }
}

void PtyDrive::write(const QByteArray &bytes)
{
    if (m_startMidSample && bytes.size() >= 2) {
        // Its value byte goes out as the carry of a sample whose marker was never sent.
        m_startMidSample = false;
        m_carry = bytes[1];
        m_carryValid = true;
        write(bytes.mid(2));
        return;
    }
    QByteArray out;
    if (m_carryValid)
        out.append(m_carry);
    out.append(bytes);
    if (out.isEmpty())
        return;
    const ssize_t result = ::write(m_master, out.constData(), size_t(out.size()));
    qsizetype done = std::max<qsizetype>(0, result);
    if (m_carryValid) {
        if (done == 0) {
            m_counts.bytesDropped += quint64(bytes.size());
            return;
        }
        m_carryValid = false;
        --done;
    }
    // A sample counts as written once its marker is out; its second byte follows next time.
    const qsizetype started = (done + 1) / 2;
    for (qsizetype i = 0; i < started; ++i) {
        if (quint8(bytes[2 * i]) == 129 && bytes[2 * i + 1] == 0)
            ++m_counts.overspinSamples;
    }
    m_counts.samplesWritten += quint64(started);
    if (done % 2 == 1) {
        m_carry = bytes[done];
        m_carryValid = true;
    }
    m_counts.bytesDropped += quint64(bytes.size() - 2 * started);
}

void PtyDrive::send(qint64 elapsedNs)
{
    const QByteArray bytes = m_sender->bytesDue(elapsedNs, requestToSend());
    // With nobody listening the drive still runs; its bytes go nowhere.
    if (readerPresent())
        write(bytes);
}

void PtyDrive::linger(const volatile std::sig_atomic_t *stop)
{
    const qint64 until = monotonicNs() + kLingerMs * kNsPerMs;
    for (qint64 tick = monotonicNs(); !*stop && readerPresent() && tick < until;) {
        tick += kChunkMs * kNsPerMs;
        sleepUntil(tick);
        followReader();
        discardReaderOutput();
    }
}

qint64 PtyDrive::tickNs(qint64 tick) const
{
    if (m_pieceBytes == 0)
        return tick * kChunkMs * kNsPerMs;
    // Rounded up, so that the sender's byte budget at this time holds the whole piece.
    const qint64 bytes = tick * m_pieceBytes;
    const qint64 rate = m_sender->bytesPerSecond();
    return bytes / rate * kNsPerSecond + (bytes % rate * kNsPerSecond + rate - 1) / rate;
}

void PtyDrive::run(double durationSeconds, bool waitOpen, const volatile std::sig_atomic_t *stop,
    const std::function<void(const PtyDriveCounts &)> &everySecond)
{
    const qint64 limitNs
        = durationSeconds > 0.0 ? qint64(std::llround(durationSeconds * kNsPerSecond)) : 0;
    qint64 start = monotonicNs();
    bool started = !waitOpen;
    // The ticks are counted from origin; in pieces the drive's time is the ticks' own.
    qint64 origin = start;
    qint64 tick = 0;
    qint64 nextReport = kNsPerSecond;
    while (!*stop) {
        ++tick;
        sleepUntil(origin + tickNs(tick));
        const qint64 now = monotonicNs();
        if (m_pieceBytes == 0 && now - (origin + tickNs(tick)) > kLateNs) {
            origin = now;
            tick = 0;
        }
        followReader();
        discardReaderOutput();
        if (!started) {
            if (!readerPresent())
                continue;
            started = true;
            start = now;
            if (m_pieceBytes != 0) {
                origin = now;
                tick = 0;
            }
        }
        const qint64 elapsed = m_pieceBytes ? tickNs(tick) : now - start;
        // In pieces the run ends with the last whole piece the duration holds.
        const qint64 reaches = m_pieceBytes ? tickNs(tick + 1) - 1 : elapsed;
        const bool finished = limitNs > 0 && reaches >= limitNs;
        send(finished ? std::min(elapsed, limitNs) : elapsed);
        if (everySecond && elapsed >= nextReport) {
            everySecond(counts());
            nextReport += kNsPerSecond;
        }
        if (finished) {
            linger(stop);
            return;
        }
    }
}

PtyDriveCounts PtyDrive::counts() const
{
    PtyDriveCounts counts = m_counts;
    counts.transients = m_sender->counters().transientsSent;
    return counts;
}
