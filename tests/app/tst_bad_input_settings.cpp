// Settings files a user or a crash can leave behind: binary junk, several megabytes, duplicate
// keys and sections, broken quoting, a [Ports] section full of junk. Start-up takes what it can
// read, falls back to the defaults for the rest, and closing stores the settings again.
#include "folap_harness.h"

#include "core/stored_settings.h"
#include "ui/print_surface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

QByteArray binaryJunk(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray junk(size, '\0');
    for (char &c : junk)
        c = char(random.bounded(256));
    return junk;
}

// Several megabytes of sections nobody reads.
QByteArray bigNoise()
{
    QByteArray noise;
    for (int i = 0; noise.size() < 6 * 1024 * 1024; ++i)
        noise += "[Noise" + QByteArray::number(i % 97) + "]\nkey" + QByteArray::number(i) + "="
            + QByteArray(100, 'x') + "\n";
    return noise;
}

// The program's start-up: the [Ports] section first, then the window reads [Setup].
struct StartedFromFile
{
    explicit StartedFromFile(const QByteArray &content)
    {
        h.config.writeIni(FolapHarness::appName(), content);
        StoredSettings stored;
        problems = h.portMap.loadOverrides(stored.store());
        start();
    }
    // On the ports the file describes.
    void start() { h.start(h.portMap.factory()); }
    int portIndex() { return h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(); }
    bool saver() { return h.control<QCheckBox>(QStringLiteral("Csok"))->isChecked(); }

    FolapHarness h;
    QStringList problems;
};

} // namespace

class TestBadInputSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startUpTakesWhatItCanReadAndStoresAgain_data();
    void startUpTakesWhatItCanReadAndStoresAgain();
    void junkPortsEntriesAreReportedOrRefusedAtStart_data();
    void junkPortsEntriesAreReportedOrRefusedAtStart();
    void theProgramStartsOnAJunkSettingsFile_data();
    void theProgramStartsOnAJunkSettingsFile();
};

void TestBadInputSettings::startUpTakesWhatItCanReadAndStoresAgain_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("portIndex");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<int>("minta");

    QTest::newRow("binary junk") << binaryJunk(4096, 1) << 0 << true << 31;
    QTest::newRow("zero bytes") << QByteArray(4096, '\0') << 0 << true << 31;
    QTest::newRow("junk around the settings")
        << binaryJunk(2048, 2) + "\n[Setup]\nPort=5\nMinta=2\n" + binaryJunk(2048, 3) << 5 << false
        << 2;
    QTest::newRow("UTF-16 text") << QByteArray("\xff\xfe[\0S\0e\0t\0u\0p\0]\0\n\0P\0o\0r\0t\0=\0"
                                               "5\0\n\0",
        30) << 0 << true << 31;
    QTest::newRow("UTF-8 mark and CR LF lines")
        << QByteArray("\xef\xbb\xbf[Setup]\r\nPort=4\r\nMinta=2\r\n") << 4 << false << 2;
    QTest::newRow("several megabytes of other sections")
        << "[Setup]\nPort=6\nMinta=2\n" + bigNoise() << 6 << false << 2;
    QTest::newRow("a value of several megabytes")
        << "[Setup]\nPort=" + QByteArray(6 * 1024 * 1024, 'x') + "\nMinta=2\n"
        << 0 << false << 2;
    QTest::newRow("a number of several megabytes")
        << "[Setup]\nPort=" + QByteArray(6 * 1024 * 1024, '9') + "\nMinta=2\n"
        << 0 << false << 2;
    QTest::newRow("duplicate keys: the last counts")
        << QByteArray("[Setup]\nPort=3\nMinta=2\nPort=7\nMinta=9\n") << 7 << true << 31;
    QTest::newRow("duplicate sections merge")
        << QByteArray("[Setup]\nPort=3\n[Other]\nPort=8\n[Setup]\nMinta=2\n") << 3 << false << 2;
    QTest::newRow("values with commas read up to the comma")
        << QByteArray("[Setup]\nPort=1,2\nMinta=2,5\n") << 1 << false << 2;
    QTest::newRow("a quote left open swallows the rest")
        << QByteArray("[Setup]\nPort=\"5\nMinta=2\n") << 5 << true << 31;
    QTest::newRow("a section without its closing bracket still counts")
        << QByteArray("[Setup\nPort=5\nMinta=2\n") << 5 << false << 2;
    QTest::newRow("keys in another case are other keys")
        << QByteArray("[setup]\nPORT=5\n[Setup]\nminta=2\n") << 0 << true << 31;
}

void TestBadInputSettings::startUpTakesWhatItCanReadAndStoresAgain()
{
    QFETCH(QByteArray, content);
    QFETCH(int, portIndex);
    QFETCH(bool, saver);
    QFETCH(int, minta);

    StartedFromFile run(content);
    QCOMPARE(run.h.control<QComboBox>(QStringLiteral("Portok"))->count(), 255);
    QCOMPARE(run.portIndex(), portIndex);
    QCOMPARE(run.saver(), saver);
    QCOMPARE(int(run.h.window->session().MintaSetting()), minta);
    QCOMPARE(run.h.window->MSComm().InBufferSize(), 4100);
    QVERIFY(!run.h.window->MSComm().PortOpen());

    // Closing writes the two settings over whatever the file held, and the next start reads them.
    run.h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(9);
    run.h.control<QCheckBox>(QStringLiteral("Csok"))->setChecked(false);
    QVERIFY(run.h.window->close());
    run.h.window.reset();
    run.start();
    QCOMPARE(run.portIndex(), 9);
    QVERIFY(!run.saver());
    QCOMPARE(int(run.h.window->session().MintaSetting()), 2);
}

void TestBadInputSettings::junkPortsEntriesAreReportedOrRefusedAtStart_data()
{
    QTest::addColumn<int>("port"); // the entry started on
    QTest::addColumn<QString>("device"); // what the map holds for it afterwards
    QTest::addColumn<QString>("message"); // of the refused Start; empty: a number is written

    QTest::newRow("control characters name no device")
        << 1 << QStringLiteral("\x01\x02junk") << "Invalid Port Number! Please select anothert!";
    QTest::newRow("the last of duplicate entries counts")
        << 5 << QStringLiteral("nothing-built-in")
        << "Invalid Port Number! Please select anothert!";
    QTest::newRow("a device that is no serial port") << 2 << QStringLiteral("/dev/null") << "";
    QTest::newRow("a folder") << 3 << QStringLiteral("/") << "";
    QTest::newRow("entries that name no port leave it alone")
        << 4 << QStringLiteral("/dev/ttyUSB3") << "Invalid Port Number! Please select anothert!";
}

void TestBadInputSettings::junkPortsEntriesAreReportedOrRefusedAtStart()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, message);

    StartedFromFile run("[Ports]\n"
                        "Comm1=\"\\x1\\x2junk\"\n"
                        "Comm2=/dev/null\n"
                        "Comm3=/\n"
                        "Comm5=/dev/ttyUSB9\n"
                        "Comm5=nothing-built-in\n"
                        "Comm99999999999=/dev/x\n"
                        "Comm-4=/dev/y\n"
                        "Comm 4=/dev/z\n"
                        "Comm4x=/dev/w\n"
                        "[Setup]\nPort=0\nMinta=2\n");
    // The four keys that name no port are reported; the rest apply.
    QCOMPARE(run.problems.size(), 4);
    for (const char *key : { "Comm99999999999", "Comm-4", "Comm 4", "Comm4x" })
        QVERIFY2(run.problems.filter(QLatin1String(key)).size() == 1,
            qPrintable(run.problems.join(QLatin1Char('\n'))));
    QCOMPARE(run.h.portMap.device(port), device);
    QCOMPARE(run.saver(), false);

    // A Start there is refused with the port closed; nothing else of the window changed.
    run.h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(port - 1);
    if (message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("error 80\\d\\d")));
    run.h.control<QPushButton>(QStringLiteral("TStart"))->click();
    QVERIFY(!run.h.window->MSComm().PortOpen());
    QCOMPARE(run.h.backColor(QStringLiteral("LED")), LampColor::Red);
    if (message.isEmpty()) {
        QVERIFY(run.h.prompts.messages.isEmpty());
        QCOMPARE(run.h.window->surface()->printed().size(), 1);
    } else {
        QCOMPARE(run.h.prompts.messages.size(), 1);
        QCOMPARE(run.h.prompts.messages.first().text, message);
    }
}

void TestBadInputSettings::theProgramStartsOnAJunkSettingsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("problems"); // lines about the [Ports] section on stderr
    QTest::newRow("binary junk") << binaryJunk(8192, 5) << 0;
    QTest::newRow("several megabytes") << bigNoise() << 0;
    QTest::newRow("junk in [Ports]")
        << QByteArray("[Ports]\nComm0=/dev/x\nComm300=/dev/y\nComm2=\x01\x02\n[Setup]\nPort=x\n")
        << 2;
}

// The real executable, headless: it starts, draws its window and ends normally.
void TestBadInputSettings::theProgramStartsOnAJunkSettingsFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, problems);
    TempConfig config;
    const QString app = QStringLiteral("velmora-monitor");
    config.writeIni(app, content);
    const QString shot = config.path() + QStringLiteral("/shot.png");

    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    monitor.setProcessEnvironment(env);
    monitor.start(QStringLiteral(VELMORA_MONITOR), { QStringLiteral("--screenshot"), shot });
    QVERIFY(monitor.waitForFinished(60000));
    const QByteArray err = monitor.readAllStandardError();
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QVERIFY2(monitor.exitCode() == 0, err.constData());
    QVERIFY(!QImage(shot).isNull());
    QCOMPARE(err.count("velmora-monitor: [Ports]"), qsizetype(problems));
    // A screenshot run leaves the file as it was.
    QCOMPARE(config.readIni(app), content);
}

QTEST_MAIN(TestBadInputSettings)
#include "tst_bad_input_settings.moc"
