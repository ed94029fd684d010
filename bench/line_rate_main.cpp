// velmora-line-rate: the monitor's receive path at the drive's full line rate, measured whole.
//
//     velmora-line-rate [--seconds N] [--every MS] [--only off|saver|idle]
//
// The main window runs in this process on the offscreen platform, shown, in continuous mode on
// a pseudo-terminal. A child process plays the drive: it writes the stream to the master side,
// paced at 11 520 bytes a second, in a piece every MS milliseconds (default 1: a native port or
// a USB adapter with a short latency timer; an FTDI adapter's default latency is 16).
// For each run it prints the CPU time this process used (user + system, getrusage), that time
// as a share of one core, and the pairs sent against the pairs the window showed.
#include "silent_prompts.h"
#include "transient_data.h"
#include "ui/process_setup.h"

#include "core/module_state.h"
#include "serial/port_map.h"
#include "serial/serial_device.h"
#include "ui/folap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kBytesPerSecond = 11520;
constexpr int kPort = 1;

double cpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The drive: writes `stream` to the pty master at the line rate, then exits. Only calls that are
// safe after fork() in a threaded process.
[[noreturn]] void feedAtLineRate(int master, const QByteArray &stream, int everyMs)
{
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) & ~O_NONBLOCK);
    timespec start {};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    qsizetype sent = 0;
    for (long tick = 1; sent < stream.size(); ++tick) {
        timespec next = start;
        next.tv_nsec += tick * everyMs * 1000000L;
        next.tv_sec += next.tv_nsec / 1000000000L;
        next.tv_nsec %= 1000000000L;
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) { }
        const qsizetype due
            = std::min<qsizetype>(stream.size(), tick * everyMs * kBytesPerSecond / 1000);
        while (sent < due) {
            const ssize_t n = ::write(master, stream.constData() + sent, size_t(due - sent));
            if (n < 0 && errno != EINTR)
                ::_exit(1);
            if (n > 0)
                sent += n;
        }
    }
    ::_exit(0);
}

struct Result
{
    double wallSeconds = 0;
    double cpu = 0;
    qint64 pairsSent = 0;
    quint64 pairsShown = 0;
};

enum class Variant { SaverOff, SaverOn, Idle };

bool runOnce(Variant variant, int seconds, int everyMs, Result *result)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("velmora-line-rate: openpty");
        return false;
    }
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    ModuleState state;
    PortMap ports;
    ports.setDevice(kPort, QString::fromLocal8Bit(name));
    bench::SilentPrompts prompts;
    bool ok = false;
    {
        Folap window(state, ports.factory(), ports, prompts, FolapSettings {});
        window.show();
        QCoreApplication::processEvents();
        const auto button = [&](const char *control) {
            return window.findChild<QAbstractButton *>(QLatin1String(control));
        };
        const bool saver = variant == Variant::SaverOn;
        if (button("Csok")->isChecked() != saver)
            button("Csok")->click();
        button("Foly")->click();
        button("FStart")->click();
        if (!window.MSComm().PortOpen()) {
            std::fprintf(stderr, "velmora-line-rate: the port did not open\n");
        } else {
            const QByteArray stream = variant == Variant::Idle
                ? QByteArray()
                : bench::transientPairs(seconds * kBytesPerSecond / 2);
            QElapsedTimer wall;
            const double cpuBefore = cpuSeconds();
            const quint64 shownBefore = window.samplesShown();
            wall.start();
            const pid_t drive = ::fork();
            if (drive == 0) {
                if (variant == Variant::Idle) {
                    ::sleep(unsigned(seconds));
                    ::_exit(0);
                }
                feedAtLineRate(master, stream, everyMs);
            }
            int status = 0;
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (::waitpid(drive, &status, WNOHANG) == drive)
                    loop.quit();
            });
            poll.start(100);
            loop.exec();
            poll.stop();
            // The last pieces are still on their way through the pty.
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            result->cpu = cpuSeconds() - cpuBefore;
            result->wallSeconds = wall.elapsed() / 1000.0;
            result->pairsSent = stream.size() / 2;
            result->pairsShown = window.samplesShown() - shownBefore;
            ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    ::close(master);
    ::close(slave);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpUiProcess();

    int seconds = 10;
    int everyMs = 1;
    QString only;
    const QStringList arguments = app.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--seconds") && i + 1 < arguments.size()) {
            seconds = std::max(1, arguments[++i].toInt());
        } else if (arguments[i] == QLatin1String("--every") && i + 1 < arguments.size()) {
            everyMs = std::clamp(arguments[++i].toInt(), 1, 1000);
        } else if (arguments[i] == QLatin1String("--only") && i + 1 < arguments.size()) {
            only = arguments[++i];
        } else {
            std::fprintf(stderr,
                "usage: velmora-line-rate [--seconds N] [--every MS] [--only off|saver|idle]\n");
            return 2;
        }
    }
#ifndef NDEBUG
    std::fprintf(
        stderr, "warning: an unoptimised build; configure with -DCMAKE_BUILD_TYPE=Release\n");
#endif

    const std::pair<const char *, Variant> variants[] = {
        { "off", Variant::SaverOff },
        { "saver", Variant::SaverOn },
        { "idle", Variant::Idle },
    };
    std::printf("line rate %d bytes/s, a piece every %d ms\n", kBytesPerSecond, everyMs);
    std::printf("%-22s %7s %8s %7s %11s %11s\n", "continuous mode", "wall s", "cpu s", "% core",
        "pairs sent", "pairs shown");
    int failures = 0;
    for (const auto &[name, variant] : variants) {
        if (!only.isEmpty() && only != QLatin1String(name))
            continue;
        Result r;
        if (!runOnce(variant, seconds, everyMs, &r)) {
            ++failures;
            continue;
        }
        const char *title = variant == Variant::SaverOff ? "CPU saver off"
            : variant == Variant::SaverOn                ? "CPU saver on"
                                                         : "port open, no data";
        std::printf("%-22s %7.2f %8.3f %7.2f %11lld %11llu\n", title, r.wallSeconds, r.cpu,
            100.0 * r.cpu / r.wallSeconds, static_cast<long long>(r.pairsSent),
            static_cast<unsigned long long>(r.pairsShown));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
