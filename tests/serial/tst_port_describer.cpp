// What the port list says of each device, from a made-up list of the system's ports: adapters,
// links to them, nodes the system does not list, missing devices, and the built-in one.
#include "serial/port_describer.h"

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

private:
    QString at(const QString &name) const { return m_dir.filePath(name); }
    PortDescriber describer() const;
    QTemporaryDir m_dir;
};

void TestPortDescriber::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Plain files stand in for device nodes: only existence and links matter here.
    for (const char *node : { "ttyUSB0", "pts0" }) {
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
    const char *const ftdi = "FT232R USB UART, FTDI, serial A10K3X, 0403:6001";
    const struct
    {
        const char *row, *target, *device, *state;
    } rows[] = {
        { "adapter", "@/ttyUSB0", "@/ttyUSB0", ftdi },
        { "link to it", "@/velmora-drive", "@/velmora-drive -> @/ttyUSB0", ftdi },
        { "listed, no node here", "/dev/ttyUSB9", "/dev/ttyUSB9",
            "CP2102, Silicon Labs, 10c4:ea60" },
        { "node not listed", "@/pts0", "@/pts0", "present, no adapter details" },
        { "missing", "@/ttyUSB5", "@/ttyUSB5", "not present" },
        { "dangling link", "@/dangling", "@/dangling", "not present" },
        { "built in", "sim", "sim", "built in" },
    };
    for (const auto &r : rows)
        QTest::newRow(r.row) << QString(r.target) << QString(r.device) << QString(r.state);
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

QTEST_GUILESS_MAIN(TestPortDescriber)
#include "tst_port_describer.moc"
