// Port numbers to devices: the default table, overrides from the settings file and --port, and
// what the factory makes of a target.
#include "fake_serial_device.h"
#include "serial/port_map.h"
#include "serial/qt_serial_device.h"
#include "temp_config.h"

#include <QSettings>
#include <QTest>

class TestPortMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultTableNamesTheUsualDevices_data();
    void defaultTableNamesTheUsualDevices();
    void portsSectionOverridesEntries();
    void portOptionsAreCheckedBeforeTheyApply_data();
    void portOptionsAreCheckedBeforeTheyApply();
    void factoryMakesADeviceOnlyForAUsableTarget_data();
    void factoryMakesADeviceOnlyForAUsableTarget();
};

void TestPortMap::defaultTableNamesTheUsualDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("1") << 1 << "/dev/ttyUSB0";
    QTest::newRow("16") << 16 << "/dev/ttyUSB15";
    QTest::newRow("17") << 17 << "/dev/ttyACM0";
    QTest::newRow("32") << 32 << "/dev/ttyACM15";
    QTest::newRow("33") << 33 << "/dev/ttyS0";
    QTest::newRow("64") << 64 << "/dev/ttyS31";
    QTest::newRow("65") << 65 << QString();
    QTest::newRow("255") << 255 << QString();
    QTest::newRow("256") << 256 << QString();
}

void TestPortMap::defaultTableNamesTheUsualDevices()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    PortMap map;
    QCOMPARE(map.device(port), device);
    QCOMPARE(map.describe(port),
        device.isEmpty() ? "Communications Port: no device" : "Communications Port: " + device);
}

void TestPortMap::portsSectionOverridesEntries()
{
    TempConfig config;
    config.writeIni(QStringLiteral("velmora"),
        "[Ports]\nComm5=/dev/ttyUSB3\ncomm200=sim\nComm1=\nComm0=/dev/x\n"
        "Comm256=/dev/y\nSpeed=9600\n[Setup]\nComm7=/dev/z\n");
    QSettings settings(config.iniFile(QStringLiteral("velmora")), QSettings::IniFormat);
    PortMap map;
    QCOMPARE(map.loadOverrides(settings).size(), 3);
    QCOMPARE(map.device(5), QStringLiteral("/dev/ttyUSB3"));
    QCOMPARE(map.device(200), QStringLiteral("sim"));
    QCOMPARE(map.describe(200), QStringLiteral("Communications Port: sim (built in)"));
    QCOMPARE(map.device(1), QString());
    QCOMPARE(map.device(6), QStringLiteral("/dev/ttyUSB5"));
    QCOMPARE(map.device(7), QStringLiteral("/dev/ttyUSB6"));
}

void TestPortMap::portOptionsAreCheckedBeforeTheyApply_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device"); // empty: the option is refused
    QTest::newRow("path") << "5=/dev/ttyUSB3" << 5 << "/dev/ttyUSB3";
    QTest::newRow("sim on the last port") << "255=sim" << 255 << "sim";
    QTest::newRow("blanks around") << " 9 = /dev/ttyS1 " << 9 << "/dev/ttyS1";
    QTest::newRow("only the first = splits") << "9=/tmp/a=b" << 9 << "/tmp/a=b";
    QTest::newRow("no =") << "5" << 5 << QString();
    QTest::newRow("no number") << "=/dev/ttyUSB3" << 1 << QString();
    QTest::newRow("not a number") << "x=/dev/ttyUSB3" << 1 << QString();
    QTest::newRow("port 0") << "0=/dev/ttyUSB3" << 1 << QString();
    QTest::newRow("port 256") << "256=/dev/ttyUSB3" << 1 << QString();
    QTest::newRow("no device") << "5=" << 5 << QString();
}

void TestPortMap::portOptionsAreCheckedBeforeTheyApply()
{
    QFETCH(QString, option);
    QFETCH(int, port);
    QFETCH(QString, device);
    PortMap map;
    const QString before = map.device(port);
    const QString problem = map.applyPortOption(option);
    QCOMPARE(problem.isEmpty(), !device.isEmpty());
    QCOMPARE(map.device(port), device.isEmpty() ? before : device);
    if (!problem.isEmpty())
        QVERIFY2(problem.contains(option), qPrintable(problem));
}

void TestPortMap::factoryMakesADeviceOnlyForAUsableTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("simRegistered");
    QTest::addColumn<QString>("made"); // "port", "sim" or empty for 8002
    QTest::newRow("device path") << "/dev/ttyUSB3" << false << "port";
    QTest::newRow("registered sim") << "sim" << true << "sim";
    QTest::newRow("unregistered sim") << "sim" << false << QString();
    QTest::newRow("unknown name") << "drive" << true << QString();
    QTest::newRow("no device") << QString() << true << QString();
}

void TestPortMap::factoryMakesADeviceOnlyForAUsableTarget()
{
    QFETCH(QString, target);
    QFETCH(bool, simRegistered);
    QFETCH(QString, made);
    PortMap map;
    map.setDevice(12, target);
    if (simRegistered)
        map.registerSpecialDevice(
            QStringLiteral("sim"), [] { return std::make_unique<FakeSerialDevice>(); });
    int error = -1;
    const std::unique_ptr<SerialDevice> device = map.factory()(12, &error);
    QCOMPARE(error, made.isEmpty() ? SerialError::InvalidPort : SerialError::None);
    QCOMPARE(device == nullptr, made.isEmpty());
    if (made == QLatin1String("port"))
        QCOMPARE(qobject_cast<QtSerialDevice *>(device.get())->path(), target);
    if (made == QLatin1String("sim"))
        QVERIFY(qobject_cast<FakeSerialDevice *>(device.get()));
}

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_port_map.moc"
