// The serial control on real pseudo-terminals through QSerialPort: line discipline, chunking,
// locking and a vanishing device are where a fake cannot stand in.
#include "pty_pair.h"
#include "serial/port_map.h"
#include "serial/qt_serial_device.h"
#include "serial/serial_control.h"

#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kPort = 7;
// Set in the environment of a copy of this test that holds a port like another program would.
constexpr char kHoldEnv[] = "VELMORA_TEST_HOLD_PORT";

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed) % 256);
    return bytes;
}

// A control whose port kPort is the given device path, with a profile and an OnComm handler
// that records what it reads.
struct Link
{
    explicit Link(const QString &path, int size = 4000, int threshold = 2, int inputLength = 2)
    {
        map.setDevice(kPort, path);
        control.setCommPort(kPort);
        control.setRTSEnable(true); // a pty refuses RTS; that must not matter
        control.setNullDiscard(false);
        control.setInBufferSize(size);
        control.setRThreshold(threshold);
        control.setInputLen(inputLength);
        QObject::connect(&control, &SerialControl::OnComm, &control, [this] {
            if (control.CommEvent() == SerialEvent::Receive && readOnReceive)
                reads << QString::fromLatin1(control.takeInput().toByteArray());
            else if (control.CommEvent() == SerialEvent::Overflow && onOverflow)
                onOverflow();
        });
    }
    qsizetype received() const { return reads.join(QString()).size() + control.InBufferCount(); }

    PortMap map;
    SerialControl control { map.factory() };
    QStringList reads;
    bool readOnReceive = true;
    std::function<void()> onOverflow;
};

// Runs fn in a child process as the unprivileged user when we are root, so permission checks
// mean something; returns its result.
int asUnprivileged(const std::function<int()> &fn)
{
    if (::geteuid() != 0)
        return fn();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped ? fn() - 8000 : 255);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) + 8000 : -1;
}

int holdPort(const char *path)
{
    QSerialPort port;
    port.setPortName(QString::fromLocal8Bit(path));
    std::puts(port.open(QIODevice::ReadOnly) ? "held" : "failed");
    std::fflush(stdout);
    while (std::getchar() != EOF) { }
    return 0;
}

} // namespace

class TestSerialControlPty : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyByteValueArrivesInOrderAsItsOwnCharacter();
    void receiveBlocksAreWholeHoweverTheBytesArrive_data();
    void receiveBlocksAreWholeHoweverTheBytesArrive();
    void overflowCapturesTheTransientAndTheReopenedPortStartsEmpty();
    void discardDropsWhatWaitsHereAndInTheSystem();
    void missingDeviceIsAnInvalidPort();
    void portHeldByAnotherProcessIsInUseUntilReleased();
    void permissionFailuresAreToldApart_data();
    void permissionFailuresAreToldApart();
    void pulledAdapterClosesThePortOnceWithoutSpinning();
    void pulledAdapterEndsInDeviceFailed();
};

void TestSerialControlPty::everyByteValueArrivesInOrderAsItsOwnCharacter()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Link link(pty.slavePath(), 4000, 1, 0);
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);

    QByteArray bytes = pattern(256, 0) + pattern(256, 128);
    std::reverse(bytes.begin() + 256, bytes.end());
    QVERIFY(pty.write(bytes));
    QTRY_COMPARE(link.received(), bytes.size());
    const QString text = link.reads.join(QString());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        QCOMPARE(text.at(i).unicode(), ushort(quint8(bytes.at(i))));
}

void TestSerialControlPty::receiveBlocksAreWholeHoweverTheBytesArrive_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QList<int>>("writes");
    QTest::newRow("pairs, one write") << 2 << QList<int> { 1000 };
    QTest::newRow("pairs, byte by byte") << 2 << QList<int> { 1 };
    QTest::newRow("pairs, odd writes") << 2 << QList<int> { 3, 1, 4, 1, 5, 9 };
    QTest::newRow("31s, byte by byte") << 31 << QList<int> { 1 };
    QTest::newRow("31s, writes across blocks") << 31 << QList<int> { 30, 2, 45 };
}

void TestSerialControlPty::receiveBlocksAreWholeHoweverTheBytesArrive()
{
    QFETCH(int, block);
    QFETCH(QList<int>, writes);

    PtyPair pty;
    QVERIFY(pty.isValid());
    Link link(pty.slavePath(), 4000, block, block);
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);

    const QByteArray bytes = pattern(3 * block + 1, 0);
    qsizetype written = 0;
    for (int i = 0; written < bytes.size(); ++i) {
        const int size = writes[i % writes.size()];
        QVERIFY(pty.write(bytes.mid(written, size)));
        written = std::min(bytes.size(), written + size);
        // Wait until it is in, so each write is an arrival of its own.
        QTRY_COMPARE(link.received(), written);
    }
    QCOMPARE(link.reads.size(), 3);
    for (qsizetype i = 0; i < link.reads.size(); ++i)
        QCOMPARE(link.reads.at(i), QString::fromLatin1(bytes.mid(i * block, block)));
    QCOMPARE(link.control.InBufferCount(), 1);
}

void TestSerialControlPty::overflowCapturesTheTransientAndTheReopenedPortStartsEmpty()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Link link(pty.slavePath(), 4000, 2000, 1);
    link.readOnReceive = false; // the recorder ignores receive events
    QList<QByteArray> captures;
    link.onOverflow = [&] {
        // As the recorder does: 4100 single reads, then close and reopen for the next one.
        QByteArray capture;
        for (int i = 0; i < 4100; ++i) {
            const QString one = QString::fromLatin1(link.control.takeInput().toByteArray());
            capture += one.isEmpty() ? '\0' : char(one.at(0).unicode());
        }
        captures << capture;
        link.control.setPortOpen(false);
        QCOMPARE(link.control.setPortOpen(true), SerialError::None);
    };
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);

    for (int seed = 1; seed <= 2; ++seed) {
        const QByteArray transient = pattern(4100, seed);
        QVERIFY(pty.write(transient));
        QTRY_COMPARE(captures.size(), seed);
        QCOMPARE(captures.last(), transient.left(4000) + QByteArray(100, '\0'));
        QVERIFY(link.control.PortOpen());
    }
}

void TestSerialControlPty::discardDropsWhatWaitsHereAndInTheSystem()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Link link(pty.slavePath(), 4000, 0, 0);
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);

    QVERIFY(pty.write("ABCD"));
    QTRY_COMPARE(link.control.InBufferCount(), 4);
    QVERIFY(pty.write("EFGH")); // still in the pty, not read yet
    link.control.setInBufferCount(0);
    QCOMPARE(link.control.InBufferCount(), 0);
    QVERIFY(pty.write("XY"));
    QTRY_COMPARE(link.control.InBufferCount(), 2);
    QCOMPARE(QString::fromLatin1(link.control.takeInput().toByteArray()), QStringLiteral("XY"));
}

void TestSerialControlPty::missingDeviceIsAnInvalidPort()
{
    QTemporaryDir dir;
    Link link(dir.filePath(QStringLiteral("ttyUSB9")));
    QCOMPARE(link.control.setPortOpen(true), SerialError::InvalidPort);
    QVERIFY(!link.control.PortOpen());
    QCOMPARE(link.control.lastErrorText(), QStringLiteral("No such file or directory"));
}

void TestSerialControlPty::portHeldByAnotherProcessIsInUseUntilReleased()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kHoldEnv), pty.slavePath());
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(holder.waitForReadyRead());
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    Link link(pty.slavePath());
    QCOMPARE(link.control.setPortOpen(true), SerialError::PortInUse);
    QVERIFY(!link.control.PortOpen());
    QVERIFY(!link.control.lastErrorText().isEmpty());

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished());
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);
}

void TestSerialControlPty::permissionFailuresAreToldApart_data()
{
    QTest::addColumn<QString>("lock"); // who holds the lock file
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("error");
    QTest::newRow("locked by a live process") << "live" << false << SerialError::PortInUse;
    QTest::newRow("stale lock, forbidden") << "dead" << false << SerialError::PermissionDenied;
    QTest::newRow("no lock, forbidden") << "none" << false << SerialError::PermissionDenied;
    QTest::newRow("no lock, readable: busy") << "none" << true << SerialError::PortInUse;
}

void TestSerialControlPty::permissionFailuresAreToldApart()
{
    QFETCH(QString, lock);
    QFETCH(bool, readable);
    QFETCH(int, error);

    QTemporaryDir dir;
    QFile::setPermissions(dir.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther);
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.setPermissions(readable ? QFile::ReadOwner | QFile::ReadOther : QFile::Permissions());

    pid_t holder = ::getpid();
    if (lock == QLatin1String("dead")) {
        holder = ::fork();
        if (holder == 0)
            ::_exit(0);
        ::waitpid(holder, nullptr, 0);
    }
    if (lock != QLatin1String("none")) {
        QFile lockFile(dir.filePath(QtSerialDevice::lockFileName(device)));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        lockFile.write(QByteArray::number(holder) + "\nvelmora\n");
        lockFile.setPermissions(QFile::ReadOwner | QFile::ReadOther);
    }
    QCOMPARE(
        asUnprivileged([&] { return QtSerialDevice::permissionFailure(device, { dir.path() }); }),
        error);
}

void TestSerialControlPty::pulledAdapterClosesThePortOnceWithoutSpinning()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QtSerialDevice device(pty.slavePath());
    QCOMPARE(device.open(), SerialError::None);
    // As every Start does; a pty refuses it.
    device.setRequestToSend(false);
    QSignalSpy failures(&device, &SerialDevice::failed);
    QSignalSpy portErrors(device.findChild<QSerialPort *>(), &QSerialPort::errorOccurred);

    pty.closeMaster();
    QVERIFY(failures.wait());
    QCOMPARE(failures.at(0).at(0).toInt(), SerialError::DeviceIoError);
    // The words are the hang-up's, not a stale errno of the earlier RTS request.
    QVERIFY2(!failures.at(0).at(1).toString().contains(QLatin1String("ioctl")),
        qPrintable(failures.at(0).at(1).toString()));
    QVERIFY(!device.isOpen());

    // A port left open on a vanished device reports an error on every turn of the event loop.
    const qsizetype errorsSoFar = portErrors.count();
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(portErrors.count(), errorsSoFar);
    QCOMPARE(failures.count(), 1);
}

void TestSerialControlPty::pulledAdapterEndsInDeviceFailed()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Link link(pty.slavePath());
    QCOMPARE(link.control.setPortOpen(true), SerialError::None);
    QSignalSpy failures(&link.control, &SerialControl::deviceFailed);
    pty.closeMaster();
    QVERIFY(failures.wait());
    QVERIFY(!link.control.PortOpen());
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(failures.count(), 1);
}

int main(int argc, char **argv)
{
    if (const QByteArray path = qgetenv(kHoldEnv); !path.isEmpty()) {
        QCoreApplication app(argc, argv);
        return holdPort(path.constData());
    }
    QCoreApplication app(argc, argv);
    TestSerialControlPty test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serial_control_pty.moc"
