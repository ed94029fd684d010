// What the port list says of each device, from a made-up list of the system's ports: adapters,
// links to them, nodes the system does not list, missing devices, and the built-in one.
#include "serial/port_describer.h"
#include "serial/port_map.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPortDescriber : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void eachTargetSaysWhatIsThere_data();
    void eachTargetSaysWhatIsThere();
    void tooltipsAndTableShowTheSameTexts();

private:
    QString at(const QString &name) const { return m_dir.filePath(name); }
    PortDescriber describer() const;
    QTemporaryDir m_dir;
};

void TestPortDescriber::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Plain files stand in for device nodes: only existence and links matter here.
    for (const char *node : { "ttyUSB0", "ttyACM0", "pts0" }) {
        QFile file(at(QLatin1String(node)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(at(QStringLiteral("ttyUSB0")), at(QStringLiteral("velmora-drive"))));
    QVERIFY(QFile::link(at(QStringLiteral("gone")), at(QStringLiteral("dangling"))));
}

PortDescriber TestPortDescriber::describer() const
{
    return PortDescriber({
        { at(QStringLiteral("ttyUSB0")), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
            QStringLiteral("A10K3X"), true, 0x0403, 0x6001 },
        { at(QStringLiteral("ttyACM0")), QStringLiteral("Velmora Drive"), {}, {}, false, 0, 0 },
        // Listed, though this machine has no such node: the list is what counts.
        { QStringLiteral("/dev/ttyUSB9"), QStringLiteral("CP2102"), QStringLiteral("Silicon Labs"),
            {}, true, 0x10c4, 0xea60 },
    });
}

void TestPortDescriber::eachTargetSaysWhatIsThere_data()
{
    QTest::addColumn<QString>("target"); // '@' stands for the temporary folder
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("state");
    const QString ftdi = QStringLiteral("FT232R USB UART, FTDI, serial A10K3X, 0403:6001");
    QTest::newRow("adapter") << "@/ttyUSB0"
                             << "@/ttyUSB0" << ftdi;
    QTest::newRow("link to it") << "@/velmora-drive"
                                << "@/velmora-drive -> @/ttyUSB0" << ftdi;
    QTest::newRow("description only") << "@/ttyACM0"
                                      << "@/ttyACM0"
                                      << "Velmora Drive";
    QTest::newRow("listed, no node here") << "/dev/ttyUSB9"
                                          << "/dev/ttyUSB9"
                                          << "CP2102, Silicon Labs, 10c4:ea60";
    QTest::newRow("node not listed") << "@/pts0"
                                     << "@/pts0"
                                     << "present, no adapter details";
    QTest::newRow("missing") << "@/ttyUSB5"
                             << "@/ttyUSB5"
                             << "not present";
    QTest::newRow("dangling link") << "@/dangling"
                                   << "@/dangling"
                                   << "not present";
    QTest::newRow("built in") << "sim"
                              << "sim"
                              << "built in";
}

void TestPortDescriber::eachTargetSaysWhatIsThere()
{
    QFETCH(QString, target);
    QFETCH(QString, device);
    QFETCH(QString, state);
    target.replace(QLatin1Char('@'), m_dir.path());
    device.replace(QLatin1Char('@'), m_dir.path());
    QCOMPARE(describer().deviceText(target), device);
    QCOMPARE(describer().state(target), state);
}

void TestPortDescriber::tooltipsAndTableShowTheSameTexts()
{
    PortMap map;
    const QString link = at(QStringLiteral("velmora-drive"));
    map.setDevice(1, link);
    map.setDevice(2, QString());
    map.setDevice(70, QStringLiteral("sim"));
    const PortDescriber ports = describer();
    const QString device = ports.deviceText(link);
    const QString state = ports.state(link);
    QCOMPARE(ports.toolTip(map, 1), "Communications Port: " + device + '\n' + state);
    QCOMPARE(ports.toolTip(map, 2), map.describe(2));
    QCOMPARE(ports.toolTip(map, 70), map.describe(70));

    // Comm 2 names nothing; Comm 3-64 keep their defaults. The link is the widest device.
    const QStringList lines = ports.table(map);
    QCOMPARE(lines.size(), 64);
    QCOMPARE(lines.first(), "Comm  1   " + device + "  " + state);
    QVERIFY2(lines.at(1).startsWith("Comm  3   /dev/ttyUSB2 "), qPrintable(lines.at(1)));
    const QString usb2 = ports.state(QStringLiteral("/dev/ttyUSB2"));
    QCOMPARE(lines.at(1).indexOf("  " + usb2), lines.first().indexOf("  " + state));
    QCOMPARE(lines.last(), "Comm  70  sim" + QString(device.size() - 3, ' ') + "  built in");
}

QTEST_GUILESS_MAIN(TestPortDescriber)
#include "tst_port_describer.moc"
