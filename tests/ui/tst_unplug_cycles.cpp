// Fifty unplug and replug cycles of the main window on real pseudo-terminals: each time the
// device vanishes in the middle of a pair or of a transient, the window must notice, go quiet,
// and work again on the next device, without keeping descriptors, objects or ports of the old one.
#include "folap_harness.h"
#include "pty_pair.h"

#include "ui/chart_surface.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMutex>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <ctime>

// Qt's table of hooks for object inspectors: entry 3 is called for every QObject made and
// entry 4 for every QObject destroyed, in any class.
extern Q_CORE_EXPORT quintptr qtHookData[];

namespace {

constexpr int kPort = 1; // the first run selects the first entry
constexpr int kCycles = 50;
constexpr int kPairsPerCycle = 100;
constexpr int kIdleWindowMs = 200;
// Over the idle window: a port left polling a dead descriptor burns the whole window and wakes
// the event loop thousands of times; an idle window takes well under a millisecond and a few
// wake-ups.
constexpr qint64 kIdleCpuLimitUs = 50000;
constexpr int kIdleWakeupLimit = 100;

// Every QObject alive that was made while an instance exists.
class LiveObjects
{
public:
    LiveObjects()
        : m_savedAdd(qtHookData[kAddHook])
        , m_savedRemove(qtHookData[kRemoveHook])
    {
        s_previousAdd = m_savedAdd;
        s_previousRemove = m_savedRemove;
        qtHookData[kAddHook] = reinterpret_cast<quintptr>(&added);
        qtHookData[kRemoveHook] = reinterpret_cast<quintptr>(&removed);
    }
    ~LiveObjects()
    {
        qtHookData[kAddHook] = m_savedAdd;
        qtHookData[kRemoveHook] = m_savedRemove;
        QMutexLocker lock(&s_mutex);
        s_objects.clear();
    }
    LiveObjects(const LiveObjects &) = delete;
    LiveObjects &operator=(const LiveObjects &) = delete;

    // The hook table grew its object entries in its first version; older tables have none.
    static bool available() { return qtHookData[kSizeEntry] > kRemoveHook; }

    qsizetype count() const
    {
        QMutexLocker lock(&s_mutex);
        return s_objects.size();
    }
    template <typename T> qsizetype countOf() const
    {
        QMutexLocker lock(&s_mutex);
        qsizetype n = 0;
        for (QObject *object : std::as_const(s_objects))
            n += qobject_cast<T *>(object) != nullptr;
        return n;
    }

private:
    using Hook = void (*)(QObject *);
    static constexpr int kSizeEntry = 1;
    static constexpr int kAddHook = 3;
    static constexpr int kRemoveHook = 4;

    static void added(QObject *object)
    {
        {
            QMutexLocker lock(&s_mutex);
            s_objects.insert(object);
        }
        if (s_previousAdd)
            reinterpret_cast<Hook>(s_previousAdd)(object);
    }
    static void removed(QObject *object)
    {
        {
            QMutexLocker lock(&s_mutex);
            s_objects.remove(object);
        }
        if (s_previousRemove)
            reinterpret_cast<Hook>(s_previousRemove)(object);
    }

    quintptr m_savedAdd;
    quintptr m_savedRemove;
    static inline QMutex s_mutex;
    static inline QSet<QObject *> s_objects;
    static inline quintptr s_previousAdd = 0;
    static inline quintptr s_previousRemove = 0;
};

int openDescriptors()
{
    // The listing's own descriptor is counted every time alike.
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

qint64 processCpuMicroseconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

struct IdleFigures
{
    qint64 cpuUs = 0;
    int wakeups = 0;
};

// The CPU time and the event loop's wake-ups over a stretch with nothing to do. A measurement
// window, not a wait: nothing in it is expected to happen.
IdleFigures measureIdle()
{
    IdleFigures figures;
    QObject context;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
        &context, [&figures] { ++figures.wakeups; });
    const qint64 before = processCpuMicroseconds();
    QEventLoop loop;
    QTimer::singleShot(kIdleWindowMs, &loop, &QEventLoop::quit);
    loop.exec();
    figures.cpuUs = processCpuMicroseconds() - before;
    return figures;
}

void deleteWhatWaitsForDeletion()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The main window whose port kPort names a new pseudo-terminal at each plug().
struct UnpluggableWindow
{
    UnpluggableWindow()
        : h(QByteArray("Minta=2\n"))
    {
        h.start(h.portMap.factory());
    }

    PtyPair &plug()
    {
        pty = std::make_unique<PtyPair>();
        h.portMap.setDevice(kPort, pty->slavePath());
        return *pty;
    }
    // A Start on a fresh device; the caller checks that it went through.
    PtyPair &plugAndStart(const char *start)
    {
        PtyPair &fresh = plug();
        click(start);
        return fresh;
    }
    bool running() { return w().MSComm().PortOpen() && led() == LampColor::Green; }
    // The adapter goes: the drive's side closes, as a USB adapter's node does when pulled.
    // Returns once the window has noticed (false if it never did), keeping the slowest notice.
    bool pull()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Comm 1: ")));
        QSignalSpy failed(&w().MSComm(), &SerialControl::deviceFailed);
        QElapsedTimer sincePull;
        sincePull.start();
        pty->closeMaster();
        // The failure is reported from the event loop, never inside closeMaster().
        if (!failed.wait(5000))
            return false;
        slowestNoticeUs = std::max(slowestNoticeUs, sincePull.nsecsElapsed() / 1000);
        return true;
    }
    // Its node is gone too.
    void dropNode() { pty.reset(); }

    Folap &w() { return *h.window; }
    void click(const char *name) { h.control<QAbstractButton>(QLatin1String(name))->click(); }
    QString ertek() { return h.control<QLabel>(QStringLiteral("Ertek"))->text(); }
    quint32 led() { return h.backColor(QStringLiteral("LED")); }
    quint32 led2() { return h.backColor(QStringLiteral("LED2")); }
    qsizetype windowObjects() { return h.window->findChildren<QObject *>().size(); }

    FolapHarness h;
    std::unique_ptr<PtyPair> pty;
    qint64 slowestNoticeUs = 0;
};

QByteArray pairs(int count, quint8 marker, quint8 value)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(marker)).append(char(value));
    return bytes;
}

// A transient whose value bytes carry the cycle, so one capture is told from another.
QByteArray transient(int bytes, int cycle)
{
    return pairs(bytes / 2 + 1, 128, quint8(cycle)).left(bytes);
}

} // namespace

class TestUnplugCycles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyPullIsNoticedAndTheNextDeviceWorks_data();
    void everyPullIsNoticedAndTheNextDeviceWorks();

private:
    // One plug, run and pull; QTest::currentTestFailed() tells whether it went wrong.
    void continuousCycle(UnpluggableWindow &win, int cycle);
    void triggeredCycle(UnpluggableWindow &win, int cycle);
};

void TestUnplugCycles::initTestCase()
{
    if (!LiveObjects::available())
        QSKIP("this Qt has no object hooks to count live objects with");
}

void TestUnplugCycles::everyPullIsNoticedAndTheNextDeviceWorks_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::newRow("continuous, pulled mid-pair") << false;
    QTest::newRow("triggered, pulled mid-transient") << true;
}

void TestUnplugCycles::everyPullIsNoticedAndTheNextDeviceWorks()
{
    QFETCH(bool, triggered);
    UnpluggableWindow win;
    if (!triggered)
        win.click("Foly");
    const auto cycle = [&](int n) {
        triggered ? triggeredCycle(win, n) : continuousCycle(win, n);
        return !QTest::currentTestFailed();
    };

    // The first opening makes what every later one reuses (the dispatcher's notifier lists...).
    QVERIFY(cycle(0));
    win.dropNode();
    deleteWhatWaitsForDeletion();
    LiveObjects live;
    const int descriptorsBefore = openDescriptors();
    const qsizetype windowObjectsBefore = win.windowObjects();

    IdleFigures worst;
    for (int n = 1; n <= kCycles; ++n) {
        if (!cycle(n))
            return;
        const IdleFigures idle = measureIdle();
        worst.cpuUs = std::max(worst.cpuUs, idle.cpuUs);
        worst.wakeups = std::max(worst.wakeups, idle.wakeups);
        QVERIFY2(idle.cpuUs < kIdleCpuLimitUs,
            qPrintable(QStringLiteral("pull %1: %2 us of CPU in %3 ms after it was noticed")
                           .arg(n)
                           .arg(idle.cpuUs)
                           .arg(kIdleWindowMs)));
        QVERIFY2(idle.wakeups < kIdleWakeupLimit,
            qPrintable(QStringLiteral("pull %1: the event loop woke %2 times in %3 ms")
                           .arg(n)
                           .arg(idle.wakeups)
                           .arg(kIdleWindowMs)));
        win.dropNode();
    }

    // Plugged once more: it works, then an ordinary Stop.
    PtyPair &pty = win.plugAndStart(triggered ? "TStart" : "FStart");
    QVERIFY(win.running());
    if (triggered) {
        QVERIFY(pty.write(transient(kTransientCaptureBytes + 1, 77)));
        QTRY_COMPARE(win.h.window->session().captureBuffer()[2], quint8(77));
        QCOMPARE(win.led(), LampColor::Red);
        win.click("TMegse");
    } else {
        QVERIFY(pty.write(pairs(3, 128, 77)));
        QTRY_COMPARE(win.ertek(), QStringLiteral("+ 77"));
        win.click("FStop");
    }
    QVERIFY(!win.w().MSComm().PortOpen());
    win.dropNode();
    deleteWhatWaitsForDeletion();

    QCOMPARE(openDescriptors(), descriptorsBefore);
    QCOMPARE(win.windowObjects(), windowObjectsBefore);
    QCOMPARE(live.countOf<QSerialPort>(), 0);
    QCOMPARE(live.countOf<QTimer>(), 0);
    QCOMPARE(live.count(), 0);
    QVERIFY(win.h.prompts.messages.isEmpty());
    qInfo("%d pulls: descriptors %d before and after, window objects %lld before and after, no "
          "object left of the %d devices; slowest notice of a pull %lld us; worst idle after a "
          "pull: %lld us CPU, %d wake-ups in %d ms",
        kCycles, descriptorsBefore, qlonglong(windowObjectsBefore), kCycles + 1,
        qlonglong(win.slowestNoticeUs), qlonglong(worst.cpuUs), worst.wakeups, kIdleWindowMs);
}

void TestUnplugCycles::continuousCycle(UnpluggableWindow &win, int cycle)
{
    PtyPair &pty = win.plugAndStart("FStart");
    QVERIFY(win.running());
    QCOMPARE(win.led2(), LampColor::Green);

    const quint64 shown = win.w().samplesShown() + kPairsPerCycle;
    QVERIFY(pty.write(pairs(kPairsPerCycle, 128, quint8(cycle))));
    QTRY_COMPARE(win.w().samplesShown(), shown);
    const QString last = win.ertek();
    QCOMPARE(last, QStringLiteral("+ %1").arg(cycle));

    // Half a pair: a lone 129 would read as an over-spin if it were ever shown.
    QVERIFY(pty.write(QByteArray(1, char(129))));
    QTRY_COMPARE(win.w().MSComm().InBufferCount(), 1);
    QVERIFY(win.pull());
    QVERIFY(!win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.led2(), LampColor::Black);
    QCOMPARE(win.w().samplesShown(), shown);
    QCOMPARE(win.ertek(), last);
}

void TestUnplugCycles::triggeredCycle(UnpluggableWindow &win, int cycle)
{
    PtyPair &pty = win.plugAndStart("TStart");
    QVERIFY(win.running());

    // One whole transient (the start-up buffer's 4100 bytes and the one that overflows it),
    // then the recorder is armed again.
    const quint8 value = quint8(1 + cycle % 126);
    QVERIFY(pty.write(transient(kTransientCaptureBytes + 1, value)));
    QTRY_COMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.h.window->session().captureBuffer()[2], value);
    QCOMPARE(win.h.window->session().captureBuffer()[kTransientCaptureBytes], value);
    QVERIFY(win.w().MSComm().PortOpen());
    const QImage chart = win.w().Rajz()->image();

    // Half of the next one arrives, then the adapter goes.
    QVERIFY(pty.write(transient(2001, 127)));
    QTRY_COMPARE(win.w().MSComm().InBufferCount(), 2001);
    QVERIFY(win.pull());
    QVERIFY(!win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.led2(), LampColor::Black);
    // The half transient is not taken for a capture; the last one stays, drawn.
    QCOMPARE(win.h.window->session().captureBuffer()[2], value);
    QCOMPARE(win.w().Rajz()->image(), chart);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestUnplugCycles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unplug_cycles.moc"
