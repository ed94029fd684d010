// The capture modes without a window: every transition of the state table on fake ports, with
// the lamps, the receive profile, the port and the link's starts and stops as the session reports
// them, continuous mode finding its footing on a stream picked up mid-pair, and a link coming back.
#include "capture/capture_session.h"
#include "capture_mode_cases.h"
#include "fake_serial_device.h"

#include <QSet>
#include <QTest>

namespace {

constexpr int kPort = 1;
using Lamp = CaptureSession::Lamp;
using LampState = CaptureSession::LampState;

// A session as the window starts it, with what it reported.
struct SessionRig
{
    FakeSerialPorts ports;
    CaptureSession session { ports.factory() };
    QString lamps = QStringLiteral("--"); // LED then LED2: R, G, B, or '-' for untouched
    QList<LiveSample> samples;
    QStringList link; // started, stopped, resynced and linkBack, in order
    int clears = 0;
    int captures = 0;

    explicit SessionRig(bool saver)
    {
        QObject::connect(
            &session, &CaptureSession::lampChanged, &session, [this](Lamp lamp, LampState state) {
                lamps[lamp == Lamp::Run ? 0 : 1] = QLatin1Char("RGB"[int(state)]);
            });
        QObject::connect(&session, &CaptureSession::liveSample, &session,
            [this](const LiveSample &sample) { samples << sample; });
        QObject::connect(&session, &CaptureSession::clearChart, &session, [this] { ++clears; });
        QObject::connect(
            &session, &CaptureSession::transientCaptured, &session, [this] { ++captures; });
        QObject::connect(&session, &CaptureSession::started, &session,
            [this](CaptureSession::Mode mode, int port) {
                const bool continuous = mode == CaptureSession::Mode::Continuous;
                link << QStringLiteral("start %1 %2")
                            .arg(continuous ? "continuous" : "triggered")
                            .arg(port);
            });
        const auto note = [this](const char *what) { return [this, what] { link << what; }; };
        QObject::connect(&session, &CaptureSession::stopped, &session, note("stop"));
        QObject::connect(&session, &CaptureSession::resynced, &session, note("resync"));
        QObject::connect(&session, &CaptureSession::linkBack, &session, note("link back"));
        session.setStoredMinta(saver ? 31 : 2);
        if (saver)
            session.cpuSaverChanged(true);
        session.initSerialLink();
        ports.next(kPort);
    }

    QString profile() const
    {
        const ReceiveProfile p = session.serial().profile();
        return QStringLiteral("%1/%2/%3/%4")
            .arg(p.rtsEnable ? QLatin1Char('T') : QLatin1Char('F'))
            .arg(p.inBufferSize)
            .arg(p.rThreshold)
            .arg(p.inputLength);
    }
    void feed(const QByteArray &bytes) { ports.current(kPort)->feed(bytes); }
};

} // namespace

class TestCaptureSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachEventLeadsToItsState_data();
    void eachEventLeadsToItsState();
    void continuousModeFindsItsFooting_data();
    void continuousModeFindsItsFooting();
    void aStopFromACaptureListenerIsNotUndone();
    void aLinkThatComesBackIsStartedAgainAndSaidToBeBack();
    void eachCaptureIsStampedOnceWithTimePortAndDevice();
};

void TestCaptureSession::eachEventLeadsToItsState_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<Event>("event");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("triggered"); // the mode afterwards
    QTest::addColumn<QString>("lamps"); // LED, LED2; '-' untouched by the event
    QTest::addColumn<QString>("profile"); // RTS / buffer / threshold / input length
    QTest::addColumn<QString>("link"); // the link's start or stop, if the event was one

    const QString none;
    const QString stop = QStringLiteral("stop");
    // clang-format off
    QTest::newRow("continuous Start, saver off") << Setup::IdleContinuous << false << Event::ContinuousStart << true << false << "GG" << "F/4000/2/2" << "start continuous 1";
    QTest::newRow("continuous Start, saver on") << Setup::IdleContinuous << true << Event::ContinuousStart << true << false << "G-" << "F/4000/31/31" << "start continuous 1";
    QTest::newRow("continuous Start while armed") << Setup::TriggeredArmed << false << Event::ContinuousStart << false << true << "R-" << "T/4100/2000/1" << stop;
    QTest::newRow("continuous Stop while running") << Setup::ContinuousRunning << false << Event::ContinuousStop << false << false << "RB" << "F/4000/2/2" << stop;
    QTest::newRow("continuous Stop while armed") << Setup::TriggeredArmed << false << Event::ContinuousStop << true << true << "--" << "T/4100/2000/1" << none;
    QTest::newRow("triggered Start") << Setup::IdleTriggered << false << Event::TriggeredStart << true << true << "GB" << "T/4100/2000/1" << "start triggered 1";
    QTest::newRow("triggered Start while running") << Setup::ContinuousRunning << false << Event::TriggeredStart << false << false << "RB" << "F/4000/2/2" << stop;
    QTest::newRow("triggered Stop while armed") << Setup::TriggeredArmed << false << Event::TriggeredStop << false << true << "RB" << "T/4100/2000/1" << stop;
    QTest::newRow("triggered Stop while running") << Setup::ContinuousRunning << false << Event::TriggeredStop << true << false << "-B" << "F/4000/2/2" << none;
    QTest::newRow("continuous option while armed") << Setup::TriggeredArmed << true << Event::ChooseContinuous << false << false << "R-" << "F/4000/31/31" << stop;
    QTest::newRow("continuous option while idle") << Setup::IdleTriggered << false << Event::ChooseContinuous << false << false << "--" << "F/4000/2/2" << none;
    QTest::newRow("triggered option while running") << Setup::ContinuousRunning << false << Event::ChooseTriggered << false << true << "RB" << "T/4000/2000/1" << stop;
    QTest::newRow("triggered option while idle") << Setup::IdleContinuous << false << Event::ChooseTriggered << false << true << "--" << "T/4000/2000/1" << none;
    QTest::newRow("CPU saver while armed") << Setup::TriggeredArmed << false << Event::ToggleSaver << false << true << "R-" << "T/12000/4000/1" << stop;
    QTest::newRow("CPU saver while triggered idle") << Setup::IdleTriggered << true << Event::ToggleSaver << false << true << "--" << "T/12000/4000/1" << none;
    QTest::newRow("CPU saver on while running") << Setup::ContinuousRunning << false << Event::ToggleSaver << false << false << "RB" << "F/4000/31/31" << stop;
    QTest::newRow("CPU saver off while continuous idle") << Setup::IdleContinuous << true << Event::ToggleSaver << false << false << "RB" << "F/4000/2/2" << none;
    QTest::newRow("another port while running") << Setup::ContinuousRunning << false << Event::ChooseAnotherPort << false << false << "RB" << "F/4000/2/2" << stop;
    QTest::newRow("another port while armed") << Setup::TriggeredArmed << false << Event::ChooseAnotherPort << false << true << "RB" << "T/4100/2000/1" << stop;
    QTest::newRow("transient captured re-arms") << Setup::TriggeredArmed << false << Event::Overflow << true << true << "R-" << "T/4100/2000/1" << none;
    QTest::newRow("over-spin while running") << Setup::ContinuousRunning << true << Event::OverSpin << true << false << "-R" << "F/4000/31/31" << none;
    // clang-format on
}

void TestCaptureSession::eachEventLeadsToItsState()
{
    QFETCH(Setup, setup);
    QFETCH(bool, saver);
    QFETCH(Event, event);
    QFETCH(bool, open);
    QFETCH(bool, triggered);
    QFETCH(QString, lamps);
    QFETCH(QString, profile);
    QFETCH(QString, link);

    SessionRig rig(saver);
    CaptureSession &s = rig.session;
    if (setup == Setup::IdleContinuous || setup == Setup::ContinuousRunning)
        s.selectContinuous();
    if (setup == Setup::ContinuousRunning)
        s.startContinuous(kPort);
    if (setup == Setup::TriggeredArmed)
        s.startTriggered(kPort);
    QCOMPARE(
        s.serial().PortOpen(), setup == Setup::ContinuousRunning || setup == Setup::TriggeredArmed);
    rig.lamps = QStringLiteral("--");
    rig.link.clear();

    switch (event) {
    case Event::ContinuousStart:
        s.startContinuous(kPort);
        break;
    case Event::ContinuousStop:
        s.stopContinuous();
        break;
    case Event::TriggeredStart:
        s.startTriggered(kPort);
        break;
    case Event::TriggeredStop:
        s.stopTriggered();
        break;
    case Event::ChooseContinuous:
        s.selectContinuous();
        break;
    case Event::ChooseTriggered:
        s.selectTriggered();
        break;
    case Event::ToggleSaver:
        s.cpuSaverChanged(!saver);
        break;
    case Event::ChooseAnotherPort:
        s.portChosen();
        break;
    case Event::Overflow:
        rig.ports.next(kPort);
        rig.feed(QByteArray(4101, '\x80'));
        QCOMPARE(rig.captures, 1);
        QCOMPARE(int(s.captureBuffer()[kTransientCaptureBytes]), 0x80);
        break;
    case Event::OverSpin:
        rig.feed(QByteArray::fromHex("8100") + QByteArray(29, '\x80'));
        QCOMPARE(rig.samples.size(), 1);
        QVERIFY(rig.samples.first().overSpin());
        break;
    }

    QCOMPARE(s.serial().PortOpen(), open);
    QCOMPARE(s.isTriggered(), triggered);
    QCOMPARE(rig.lamps, lamps);
    QCOMPARE(rig.profile(), profile);
    QCOMPARE(rig.link.join(QLatin1String(", ")), link);
}

void TestCaptureSession::continuousModeFindsItsFooting_data()
{
    QTest::addColumn<QByteArray>("stream"); // fed in one piece
    QTest::addColumn<QList<int>>("shown"); // signed deviations shown, in order
    QTest::addColumn<bool>("overSpin");
    QTest::addColumn<int>("resyncs"); // bytes dropped to get back onto the pairs
    // Where each shown sample's read began in the stream: the byte dropped counts.
    QTest::addColumn<QList<int>>("positions");

    const QByteArray pairs = QByteArray::fromHex("8005"
                                                 "81fb"
                                                 "8007"
                                                 "8100"
                                                 "8009");
    // clang-format off
    QTest::newRow("on a pair") << pairs << QList<int> { 5, -5, 7, 0, 9 } << true << 0 << QList<int> { 0, 2, 4, 6, 8 };
    QTest::newRow("picked up on a value byte") << pairs.mid(1) << QList<int> { 7, 0, 9 } << true << 1 << QList<int> { 3, 5, 7 };
    QTest::newRow("a value byte lost mid-stream") << pairs.left(1) + pairs.mid(2) << QList<int> { 129, 0, 9 } << true << 1 << QList<int> { 0, 5, 7 };
    QTest::newRow("a marker lost mid-stream") << pairs.left(2) + pairs.mid(3) << QList<int> { 5, 0, 9 } << true << 1 << QList<int> { 0, 5, 7 };
    QTest::newRow("value bytes that look like nothing") << QByteArray::fromHex("05" "8001" "8002") << QList<int> { 2 } << false << 1 << QList<int> { 3 };
    // clang-format on
}

void TestCaptureSession::continuousModeFindsItsFooting()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<int>, shown);
    QFETCH(bool, overSpin);
    QFETCH(QList<int>, positions);
    QFETCH(int, resyncs);

    SessionRig rig(false);
    rig.session.selectContinuous();
    QSet<quint64> runs;
    // Byte by byte as well as whole: a skip owed across arrivals must be paid from the next one.
    for (const bool byteByByte : { false, true }) {
        rig.samples.clear();
        rig.lamps = QStringLiteral("--");
        rig.session.startContinuous(kPort);
        rig.link.clear();
        if (byteByByte) {
            for (const char byte : stream)
                rig.feed(QByteArray(1, byte));
        } else {
            rig.feed(stream);
        }
        QList<int> values;
        QList<int> at;
        for (const LiveSample &sample : std::as_const(rig.samples)) {
            values << sample.value.deviation;
            at << int(sample.at.byte);
            runs << sample.at.run;
        }
        QCOMPARE(values, shown);
        QCOMPARE(at, positions);
        QCOMPARE(rig.lamps.at(1) == QLatin1Char('R'), overSpin);
        QCOMPARE(rig.link, QStringList(resyncs, QStringLiteral("resync")));
    }
    // Each Start opened the port anew: one run each.
    QCOMPARE(runs.size(), 2);
}

// A headless recorder stops once it has the captures it wants, from its capture handler.
void TestCaptureSession::aStopFromACaptureListenerIsNotUndone()
{
    SessionRig rig(false);
    rig.session.startTriggered(kPort);
    connect(&rig.session, &CaptureSession::transientCaptured, &rig.session,
        [&rig] { rig.session.stopTriggered(); });
    const int openings = rig.ports.openings(kPort);
    rig.feed(QByteArray(4101, '\x80'));
    QCOMPARE(rig.captures, 1);
    QVERIFY(!rig.session.serial().PortOpen());
    QCOMPARE(rig.ports.openings(kPort), openings);
    QCOMPARE(rig.lamps, QStringLiteral("RB"));
}

// The returning link is one Start like the user's, then said to be back; closing the program
// stops it.
void TestCaptureSession::aLinkThatComesBackIsStartedAgainAndSaidToBeBack()
{
    SessionRig rig(false);
    rig.session.setReconnect(true);
    rig.session.selectContinuous();
    rig.session.startContinuous(kPort);
    rig.link.clear();
    rig.ports.next(kPort);
    rig.ports.current(kPort)->pull();
    QTRY_COMPARE(rig.link, QStringList({ "start continuous 1", "link back" }));
    QVERIFY(!rig.session.isWaitingForDevice());

    rig.session.closeLink();
    QCOMPARE(rig.link.last(), QStringLiteral("stop"));
    QVERIFY(!rig.session.serial().PortOpen());
}

// One object per capture, stamped as it comes in: everything that keeps or records it takes
// this one time, port and device.
void TestCaptureSession::eachCaptureIsStampedOnceWithTimePortAndDevice()
{
    FakeSerialPorts ports;
    CaptureSession session(ports.factory());
    session.setDeviceNamer([](int port) { return QStringLiteral("/dev/ttyUSB%1").arg(port - 1); });
    session.initSerialLink();
    QList<TransientCapture> captures;
    connect(&session, &CaptureSession::transientCaptured, &session,
        [&](const TransientCapture &capture) { captures << capture; });

    constexpr int kOtherPort = 3;
    ports.next(kOtherPort);
    session.startTriggered(kOtherPort);
    ports.next(kOtherPort); // the reopening after the capture
    // Phase 1: a stray byte, then (128, 40) and (129, 246) = -10 repeated.
    QByteArray bytes(1, '\x07');
    while (bytes.size() < 4101)
        bytes.append(QByteArray::fromHex("802881f6"));
    bytes.truncate(4101);
    const QDateTime before = QDateTime::currentDateTime();
    ports.current(kOtherPort)->feed(bytes);
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(captures.size(), 1);
    const TransientCapture &capture = captures.constFirst();
    QCOMPARE(capture.port, kOtherPort);
    QCOMPARE(capture.device, QStringLiteral("/dev/ttyUSB2"));
    QVERIFY(capture.capturedAt >= before && capture.capturedAt <= after);
    QCOMPARE(capture.bytes, bytes.left(kTransientCaptureBytes));
    QCOMPARE(capture.samples.size(), 2049);
    QCOMPARE(capture.samples.at(0).deviation, 40);
    QCOMPARE(capture.samples.at(2047).deviation, -10);
}

QTEST_GUILESS_MAIN(TestCaptureSession)
#include "tst_capture_session.moc"
