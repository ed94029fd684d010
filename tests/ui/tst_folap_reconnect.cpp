// Reconnect automatically, end to end through the main window: the drive's adapter is a
// pseudo-terminal behind a link mapped to Comm 1; pulling it closes the terminal's drive side,
// plugging it back points the link at a new terminal (or, found by its serial number, the
// adapter comes back at another node). Also the simulated drive, and what ends the wait.
#include "folap_harness.h"
#include "pty_pair.h"

#include "sim/sim_serial_device.h"

#include <QAbstractButton>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// How the adapter comes back, or (from Stop on) what the user does before it does.
enum class Replug { SameLink, SerialNumberElsewhere, Stop, OtherMode, Close };

QByteArray pairs(int count, quint8 value)
{
    return QByteArray(1, char(128)).append(char(value)).repeated(count);
}

} // namespace

Q_DECLARE_METATYPE(Replug)

class TestFolapReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_h = std::make_unique<FolapHarness>("Minta=2\n[Options]\nReconnect=true\n"); }
    void cleanup() { m_h.reset(); }
    void thePulledAdapterIsWaitedForAndTheModeRunsAgain_data();
    void thePulledAdapterIsWaitedForAndTheModeRunsAgain();
    void theSimulatedDriveRestartsAtOnce();

private:
    // The window with Reconnect stored on.
    std::unique_ptr<FolapHarness> m_h;
    void pullWarning()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Comm 1: ")));
    }
    void click(const char *name) { m_h->control<QAbstractButton>(QLatin1String(name))->click(); }
    QString ledTip() { return m_h->control<QLabel>(QStringLiteral("LED"))->toolTip(); }
    bool running()
    {
        return m_h->window->MSComm().PortOpen() && m_h->backColor("LED") == LampColor::Green;
    }
};

void TestFolapReconnect::thePulledAdapterIsWaitedForAndTheModeRunsAgain_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<Replug>("replug");
    QTest::newRow("continuous, link repointed") << false << Replug::SameLink;
    QTest::newRow("triggered, link repointed") << true << Replug::SameLink;
    QTest::newRow("continuous, serial number elsewhere") << false << Replug::SerialNumberElsewhere;
    QTest::newRow("continuous, Stop first") << false << Replug::Stop;
    QTest::newRow("triggered, Stop first") << true << Replug::Stop;
    QTest::newRow("triggered, other mode first") << true << Replug::OtherMode;
    QTest::newRow("continuous, window closed first") << false << Replug::Close;
}

void TestFolapReconnect::thePulledAdapterIsWaitedForAndTheModeRunsAgain()
{
    QFETCH(bool, triggered);
    QFETCH(Replug, replug);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("velmora-drive"));
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->slavePath(), link));
    m_h->portMap.setDevice(1, link);
    m_h->start(m_h->portMap.factory());
    // The system lists the adapter, with its serial number, at the node it is plugged in at.
    QString listedAt = pty->slavePath();
    m_h->window->session().deviceWatch().setPortScan([&listedAt] {
        return QList<AvailablePort> { { listedAt, {}, {}, QStringLiteral("A10K3X"), false, 0, 0 } };
    });
    click(triggered ? "TStart" : "Foly");
    if (!triggered)
        click("FStart");
    QVERIFY(running());

    pullWarning();
    pty->closeMaster();
    QTRY_COMPARE(ledTip(), "waiting for " + link);
    QCOMPARE(m_h->backColor("LED"), LampColor::Red);
    switch (replug) {
    case Replug::Stop:
        click(triggered ? "TMegse" : "FStop");
        break;
    case Replug::OtherMode:
        click(triggered ? "Foly" : "Triger");
        break;
    case Replug::Close:
        m_h->window->close();
        break;
    default:
        break;
    }

    // The adapter back: a new terminal, behind the link or only listed with the serial number.
    QFileSystemWatcher folder({ dir.path() });
    QSignalSpy changed(&folder, &QFileSystemWatcher::directoryChanged);
    pty = std::make_unique<PtyPair>();
    listedAt = pty->slavePath();
    QFile::remove(link);
    if (replug != Replug::SerialNumberElsewhere)
        QVERIFY(QFile::link(pty->slavePath(), link));
    if (replug >= Replug::Stop) {
        QCOMPARE(ledTip(), QString());
        QVERIFY(m_h->window->session().deviceWatch().directories().isEmpty());
        QVERIFY(changed.wait());
        QCoreApplication::processEvents();
        QVERIFY(!m_h->window->MSComm().PortOpen());
        return;
    }
    QTRY_VERIFY(running());
    QCOMPARE(ledTip(), QString());
    QVERIFY(pty->write(pairs(triggered ? kTransientCaptureBytes / 2 + 1 : 3, 22)));
    if (triggered)
        QTRY_COMPARE(m_h->window->capturesDrawn(), quint64(1));
    else
        QTRY_COMPARE(m_h->control<QLabel>(QStringLiteral("Ertek"))->text(), QStringLiteral("+ 22"));
}

void TestFolapReconnect::theSimulatedDriveRestartsAtOnce()
{
    QPointer<SimSerialDevice> latest;
    m_h->portMap.registerSpecialDevice(QStringLiteral("sim"), [&latest] {
        auto device = std::make_unique<SimSerialDevice>();
        latest = device.get();
        return device;
    });
    m_h->portMap.setDevice(1, QStringLiteral("sim"));
    m_h->start(m_h->portMap.factory());
    click("Foly");
    click("FStart");
    SimSerialDevice *const first = latest;

    pullWarning();
    first->pull();
    QVERIFY(!m_h->window->MSComm().PortOpen());
    QTRY_VERIFY(running());
    QVERIFY(latest != first);
    const quint64 before = m_h->window->samplesShown();
    QTRY_VERIFY(m_h->window->samplesShown() > before);
}

QTEST_MAIN(TestFolapReconnect)
#include "tst_folap_reconnect.moc"
