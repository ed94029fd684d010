// The serial control over a scripted device: properties, RTS, opening failures, handlers that
// close, reopen or discard, and a device that fails while open.
#include "fake_serial_device.h"
#include "serial/serial_control.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kPort = 3;

// A control on kPort; device is what its first opening gets.
struct Rig
{
    Rig() { control.setCommPort(kPort); }

    FakeSerialPorts ports;
    FakeSerialDevice *device = ports.next(kPort);
    SerialControl control { ports.factory() };
};

} // namespace

class TestSerialControl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void propertiesSurviveCloseAndReopen();
    void rtsReachesTheDeviceOnOpenAndWhileOpen_data();
    void rtsReachesTheDeviceOnOpenAndWhileOpen();
    void failedOpeningsReportTheirNumber_data();
    void failedOpeningsReportTheirNumber();
    void handlersMayCloseReopenOrDiscardWithoutStaleBytes_data();
    void handlersMayCloseReopenOrDiscardWithoutStaleBytes();
    void discardingEmptiesOurBufferAndTheDevice();
    void nullBytesFollowNullDiscard_data();
    void nullBytesFollowNullDiscard();
    void deviceFailureClosesThePortAndIsReportedOnce();
};

void TestSerialControl::propertiesSurviveCloseAndReopen()
{
    Rig rig;
    SerialControl &control = rig.control;
    control.setRTSEnable(true);
    control.setInBufferSize(12000);
    control.setRThreshold(4000);
    control.setInputLen(1);
    control.setNullDiscard(false);

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(control.setPortOpen(true), SerialError::None);
        QVERIFY(control.PortOpen());
        QCOMPARE(control.setPortOpen(false), SerialError::None);
        QVERIFY(!control.PortOpen());
    }
    QCOMPARE(rig.ports.openings(kPort), 2);
    QCOMPARE(control.CommPort(), kPort);
    QCOMPARE(control.RTSEnable(), true);
    QCOMPARE(control.InBufferSize(), 12000);
    QCOMPARE(control.RThreshold(), 4000);
    QCOMPARE(control.InputLen(), 1);
    QCOMPARE(control.NullDiscard(), false);
}

void TestSerialControl::rtsReachesTheDeviceOnOpenAndWhileOpen_data()
{
    QTest::addColumn<bool>("atOpen");
    QTest::addColumn<QList<bool>>("whileOpen");
    QTest::addColumn<QList<bool>>("history");
    QTest::newRow("asserted") << true << QList<bool>() << QList<bool> { true };
    QTest::newRow("not asserted") << false << QList<bool>() << QList<bool> { false };
    QTest::newRow("switched while open")
        << true << QList<bool> { false, true } << QList<bool> { true, false, true };
}

void TestSerialControl::rtsReachesTheDeviceOnOpenAndWhileOpen()
{
    QFETCH(bool, atOpen);
    QFETCH(QList<bool>, whileOpen);
    QFETCH(QList<bool>, history);

    Rig rig;
    SerialControl &control = rig.control;
    FakeSerialDevice *device = rig.device;
    control.setRTSEnable(!atOpen); // set while closed: only the last value counts
    control.setRTSEnable(atOpen);
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    for (bool asserted : whileOpen)
        control.setRTSEnable(asserted);
    QCOMPARE(device->rtsHistory(), history);
}

void TestSerialControl::failedOpeningsReportTheirNumber_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("deviceError");
    QTest::addColumn<QString>("deviceText");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("port 0") << 0 << 0 << QString() << SerialError::InvalidPort
                            << "No device is assigned to port 0";
    QTest::newRow("no device behind the number")
        << 9 << 0 << QString() << SerialError::InvalidPort << "No device is assigned to port 9";
    QTest::newRow("held elsewhere") << kPort << SerialError::PortInUse << "Device or resource busy"
                                    << SerialError::PortInUse << "Device or resource busy";
    QTest::newRow("forbidden") << kPort << SerialError::PermissionDenied << "Permission denied"
                               << SerialError::PermissionDenied << "Permission denied";
}

void TestSerialControl::failedOpeningsReportTheirNumber()
{
    QFETCH(int, port);
    QFETCH(int, deviceError);
    QFETCH(QString, deviceText);
    QFETCH(int, error);
    QFETCH(QString, text);

    Rig rig;
    SerialControl &control = rig.control;
    rig.ports.next(0); // even a device for port 0 must not be asked for
    if (deviceError)
        rig.device->failOpenWith(deviceError, deviceText);
    control.setCommPort(port);
    QCOMPARE(control.setPortOpen(true), error);
    QVERIFY(!control.PortOpen());
    QCOMPARE(control.lastErrorText(), text);
    QCOMPARE(rig.ports.openings(0), 0);
}

enum class Action { Close, Reopen, Discard };
Q_DECLARE_METATYPE(Action)

void TestSerialControl::handlersMayCloseReopenOrDiscardWithoutStaleBytes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("inputLength");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("firstRead");
    QTest::addColumn<int>("event");
    QTest::newRow("close on receive") << 100 << 2 << 2 << Action::Close << "AB" << 2;
    QTest::newRow("reopen on receive") << 100 << 2 << 2 << Action::Reopen << "AB" << 2;
    QTest::newRow("discard on receive") << 100 << 2 << 2 << Action::Discard << "AB" << 2;
    QTest::newRow("reopen on overflow") << 4 << 0 << 4 << Action::Reopen << "ABCD" << 1008;
}

void TestSerialControl::handlersMayCloseReopenOrDiscardWithoutStaleBytes()
{
    QFETCH(int, size);
    QFETCH(int, threshold);
    QFETCH(int, inputLength);
    QFETCH(Action, action);
    QFETCH(QString, firstRead);
    QFETCH(int, event);

    Rig rig;
    SerialControl &control = rig.control;
    control.setInBufferSize(size);
    control.setRThreshold(threshold);
    control.setInputLen(inputLength);
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    FakeSerialDevice *first = rig.device;

    QStringList reads;
    QList<int> events;
    connect(&control, &SerialControl::OnComm, this, [&] {
        events << int(control.CommEvent());
        reads << QString::fromLatin1(control.takeInput().toByteArray());
        if (events.size() > 1)
            return;
        switch (action) {
        case Action::Close:
            control.setPortOpen(false);
            break;
        case Action::Reopen:
            control.setPortOpen(false);
            control.setCommPort(kPort);
            control.setPortOpen(true);
            break;
        case Action::Discard:
            control.setInBufferCount(0);
            break;
        }
    });
    first->feed("ABCDEFGH");
    QCOMPARE(events, QList<int> { event });
    QCOMPARE(reads, QStringList { firstRead });
    QCOMPARE(control.InBufferCount(), 0);
    QCOMPARE(control.PortOpen(), action != Action::Close);
    QCOMPARE(rig.ports.openings(kPort), action == Action::Reopen ? 2 : 1);

    // Only what arrives afterwards, on whatever device is open now, is handed out.
    if (FakeSerialDevice *now = control.PortOpen() ? rig.ports.current(kPort) : nullptr)
        now->feed("XY");
    reads << QString::fromLatin1(control.takeInput().toByteArray());
    QCOMPARE(reads.join(QString()), firstRead + (control.PortOpen() ? "XY" : ""));
}

void TestSerialControl::discardingEmptiesOurBufferAndTheDevice()
{
    Rig rig;
    SerialControl &control = rig.control;
    FakeSerialDevice *device = rig.device;
    control.setRThreshold(10);
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    device->feed("ABC");
    QCOMPARE(control.InBufferCount(), 3);
    control.setInBufferCount(0);
    QCOMPARE(control.InBufferCount(), 0);
    QCOMPARE(device->discardCount(), 1);
    QCOMPARE(QString::fromLatin1(control.takeInput().toByteArray()), QString());
}

void TestSerialControl::nullBytesFollowNullDiscard_data()
{
    QTest::addColumn<bool>("nullDiscard");
    QTest::addColumn<QString>("input");
    QTest::newRow("delivered") << false << QString::fromLatin1("\x80\0\x81\0", 4);
    QTest::newRow("dropped") << true << QString::fromLatin1("\x80\x81");
}

void TestSerialControl::nullBytesFollowNullDiscard()
{
    QFETCH(bool, nullDiscard);
    QFETCH(QString, input);

    Rig rig;
    SerialControl &control = rig.control;
    FakeSerialDevice *device = rig.device;
    control.setNullDiscard(nullDiscard);
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    device->feed(QByteArray("\x80\0\x81\0", 4));
    QCOMPARE(QString::fromLatin1(control.takeInput().toByteArray()), input);
}

void TestSerialControl::deviceFailureClosesThePortAndIsReportedOnce()
{
    Rig rig;
    SerialControl &control = rig.control;
    FakeSerialDevice *device = rig.device;
    control.setRThreshold(2);
    control.setInputLen(2);
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    QSignalSpy failures(&control, &SerialControl::deviceFailed);
    QSignalSpy events(&control, &SerialControl::OnComm);

    device->feed("A");
    device->pull();
    device->pull();
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toInt(), SerialError::DeviceIoError);
    QCOMPARE(failures.at(0).at(1).toString(), QStringLiteral("Input/output error"));
    QCOMPARE(control.lastErrorText(), QStringLiteral("Input/output error"));
    QVERIFY(!control.PortOpen());
    QCOMPARE(control.InBufferCount(), 0);
    QCOMPARE(control.RThreshold(), 2);

    // Plugged back in: the next opening gets a fresh device and hears only new bytes.
    QCOMPARE(control.setPortOpen(true), SerialError::None);
    rig.ports.current(kPort)->feed("XY");
    QCOMPARE(events.count(), 1);
    QCOMPARE(QString::fromLatin1(control.takeInput().toByteArray()), QStringLiteral("XY"));
}

QTEST_GUILESS_MAIN(TestSerialControl)
#include "tst_serial_control.moc"
