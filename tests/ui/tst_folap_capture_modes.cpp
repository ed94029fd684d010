// The capture modes on fake ports: every transition of the mode options, the Start and Stop
// buttons and the CPU saver, what a failed Start leaves behind, and a port that cannot be
// reopened after a capture.
#include "capture_mode_cases.h"
#include "folap_harness.h"

#include "ui/chart_surface.h"
#include "ui/print_surface.h"
#include "ui/vertical_gauge.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>

namespace {

constexpr int kPort = 1; // the first run selects the first entry
// Painted on both lamps before the event under test, so "unchanged" can be told apart.
constexpr quint32 kUntouched = 0x563412;

QString profileOf(SerialControl &comm)
{
    return QStringLiteral("%1/%2/%3/%4")
        .arg(comm.RTSEnable() ? QLatin1Char('T') : QLatin1Char('F'))
        .arg(comm.InBufferSize())
        .arg(comm.RThreshold())
        .arg(comm.InputLen());
}

// A small mark on the chart, to see whether a step cleared it.
void markChart(Folap &w)
{
    w.Rajz()->Line(QPoint(10, 10), QPoint(50, 10), 0x0000FF);
}

bool chartIsClear(Folap &w)
{
    return w.Rajz()->image() == w.Rajz()->picture();
}

} // namespace

class TestFolapCaptureModes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachEventLeadsToItsState_data();
    void eachEventLeadsToItsState();
    void clickingTheSelectedOptionAgainChangesNothing_data();
    void clickingTheSelectedOptionAgainChangesNothing();
    void startTakesThePortFromTheSelectionEachTime();
    void continuousStartClearsThePictureEachTime();
    void triggeredStartPreparesAFreshRecording_data();
    void triggeredStartPreparesAFreshRecording();
    void failedStartSkipsItsRemainingSteps_data();
    void failedStartSkipsItsRemainingSteps();
    void startAfterAFailureWithoutANewChoiceFindsNoPort();
    void continuousStopDropsRts();
    void triggeredStopLetsAContinuousRunGoOn();
    void failedReopeningAfterACaptureIsReported_data();
    void failedReopeningAfterACaptureIsReported();
};

// Every row of the modes' state table, from a state reached through the buttons themselves.
void TestFolapCaptureModes::eachEventLeadsToItsState_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<Event>("event");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("triggered"); // the option selected afterwards
    QTest::addColumn<quint32>("led");
    QTest::addColumn<quint32>("led2");
    QTest::addColumn<QString>("profile"); // RTS / buffer / threshold / input length

    const quint32 red = LampColor::Red, green = LampColor::Green, black = LampColor::Black;
    const quint32 kept = kUntouched;
    // clang-format off
    QTest::newRow("continuous Start, saver off")
        << Setup::IdleContinuous << false << Event::ContinuousStart
        << true << false << green << green << "F/4000/2/2";
    QTest::newRow("continuous Start, saver on: over-spin lamp kept")
        << Setup::IdleContinuous << true << Event::ContinuousStart
        << true << false << green << kept << "F/4000/31/31";
    QTest::newRow("continuous Start while armed stops the recorder")
        << Setup::TriggeredArmed << false << Event::ContinuousStart
        << false << true << red << kept << "T/4100/2000/1";
    QTest::newRow("continuous Stop while running")
        << Setup::ContinuousRunning << false << Event::ContinuousStop
        << false << false << red << black << "F/4000/2/2";
    QTest::newRow("continuous Stop while armed does nothing")
        << Setup::TriggeredArmed << false << Event::ContinuousStop
        << true << true << kept << kept << "T/4100/2000/1";
    QTest::newRow("triggered Start")
        << Setup::IdleTriggered << false << Event::TriggeredStart
        << true << true << green << black << "T/4100/2000/1";
    QTest::newRow("triggered Start while running stops the stream")
        << Setup::ContinuousRunning << false << Event::TriggeredStart
        << false << false << red << black << "F/4000/2/2";
    QTest::newRow("triggered Stop while armed")
        << Setup::TriggeredArmed << false << Event::TriggeredStop
        << false << true << red << black << "T/4100/2000/1";
    QTest::newRow("triggered Stop while running only darkens the over-spin lamp")
        << Setup::ContinuousRunning << false << Event::TriggeredStop
        << true << false << kept << black << "F/4000/2/2";
    QTest::newRow("continuous option while armed")
        << Setup::TriggeredArmed << true << Event::ChooseContinuous
        << false << false << red << kept << "F/4000/31/31";
    QTest::newRow("continuous option while idle")
        << Setup::IdleTriggered << false << Event::ChooseContinuous
        << false << false << kept << kept << "F/4000/2/2";
    QTest::newRow("triggered option while running")
        << Setup::ContinuousRunning << false << Event::ChooseTriggered
        << false << true << red << black << "T/4000/2000/1";
    QTest::newRow("triggered option while idle")
        << Setup::IdleContinuous << false << Event::ChooseTriggered
        << false << true << kept << kept << "T/4000/2000/1";
    QTest::newRow("CPU saver while armed")
        << Setup::TriggeredArmed << false << Event::ToggleSaver
        << false << true << red << kept << "T/12000/4000/1";
    QTest::newRow("CPU saver while triggered idle")
        << Setup::IdleTriggered << true << Event::ToggleSaver
        << false << true << kept << kept << "T/12000/4000/1";
    QTest::newRow("CPU saver on while running")
        << Setup::ContinuousRunning << false << Event::ToggleSaver
        << false << false << red << black << "F/4000/31/31";
    QTest::newRow("CPU saver off while continuous idle")
        << Setup::IdleContinuous << true << Event::ToggleSaver
        << false << false << red << black << "F/4000/2/2";
    QTest::newRow("another port while running")
        << Setup::ContinuousRunning << false << Event::ChooseAnotherPort
        << false << false << red << black << "F/4000/2/2";
    QTest::newRow("another port while armed")
        << Setup::TriggeredArmed << false << Event::ChooseAnotherPort
        << false << true << red << black << "T/4100/2000/1";
    QTest::newRow("transient captured re-arms")
        << Setup::TriggeredArmed << false << Event::Overflow
        << true << true << red << kept << "T/4100/2000/1";
    QTest::newRow("over-spin while running")
        << Setup::ContinuousRunning << true << Event::OverSpin
        << true << false << kept << red << "F/4000/31/31";
    // clang-format on
}

void TestFolapCaptureModes::eachEventLeadsToItsState()
{
    QFETCH(Setup, setup);
    QFETCH(bool, saver);
    QFETCH(Event, event);
    QFETCH(bool, open);
    QFETCH(bool, triggered);
    QFETCH(quint32, led);
    QFETCH(quint32, led2);
    QFETCH(QString, profile);

    FolapHarness h(saver ? QByteArray() : QByteArray("Minta=2\n"));
    Folap &w = h.start();
    QCOMPARE(h.control<QCheckBox>(QStringLiteral("Csok"))->isChecked(), saver);
    h.ports.next(kPort);
    const auto button
        = [&](const char *name) { return h.control<QAbstractButton>(QLatin1String(name)); };
    if (setup == Setup::IdleContinuous || setup == Setup::ContinuousRunning)
        button("Foly")->click();
    if (setup == Setup::ContinuousRunning)
        button("FStart")->click();
    if (setup == Setup::TriggeredArmed)
        button("TStart")->click();
    const bool running = setup == Setup::ContinuousRunning || setup == Setup::TriggeredArmed;
    QCOMPARE(w.MSComm().PortOpen(), running);
    const int openingsBefore = h.ports.openings(kPort);
    h.setBackColorOf(QStringLiteral("LED"), kUntouched);
    h.setBackColorOf(QStringLiteral("LED2"), kUntouched);

    switch (event) {
    case Event::ContinuousStart:
        button("FStart")->click();
        break;
    case Event::ContinuousStop:
        button("FStop")->click();
        break;
    case Event::TriggeredStart:
        button("TStart")->click();
        break;
    case Event::TriggeredStop:
        button("TMegse")->click();
        break;
    case Event::ChooseContinuous:
        button("Foly")->click();
        break;
    case Event::ChooseTriggered:
        button("Triger")->click();
        break;
    case Event::ToggleSaver:
        button("Csok")->click();
        break;
    case Event::ChooseAnotherPort:
        h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(kPort + 3);
        break;
    case Event::Overflow:
        h.ports.next(kPort);
        h.ports.current(kPort)->feed(QByteArray(4101, '\x80'));
        QCOMPARE(h.ports.openings(kPort), openingsBefore + 1);
        break;
    case Event::OverSpin:
        // One block of the CPU saver's 31 bytes.
        h.ports.current(kPort)->feed(QByteArray::fromHex("8100") + QByteArray(29, '\x80'));
        QCOMPARE(h.control<QLabel>(QStringLiteral("Ertek"))->text(), QStringLiteral("- 0"));
        break;
    }

    QCOMPARE(w.MSComm().PortOpen(), open);
    QCOMPARE(h.control<QRadioButton>(QStringLiteral("Triger"))->isChecked(), triggered);
    QCOMPARE(h.control<QRadioButton>(QStringLiteral("Foly"))->isChecked(), !triggered);
    QCOMPARE(h.backColor(QStringLiteral("LED")), led);
    QCOMPARE(h.backColor(QStringLiteral("LED2")), led2);
    QCOMPARE(profileOf(w.MSComm()), profile);
    QVERIFY(h.prompts.messages.isEmpty());
    if (open) {
        QCOMPARE(w.MSComm().CommPort(), kPort);
        QVERIFY(h.ports.current(kPort)->isOpen());
    }
}

void TestFolapCaptureModes::clickingTheSelectedOptionAgainChangesNothing_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::newRow("continuous, running") << false;
    QTest::newRow("triggered, armed") << true;
}

// The options run their handlers on becoming selected; a click on the selected one is no
// change, so a running link is left alone.
void TestFolapCaptureModes::clickingTheSelectedOptionAgainChangesNothing()
{
    QFETCH(bool, triggered);
    FolapHarness h;
    Folap &w = h.start();
    h.ports.next(kPort);
    auto *option = h.control<QRadioButton>(QLatin1String(triggered ? "Triger" : "Foly"));
    option->click();
    h.control<QPushButton>(QLatin1String(triggered ? "TStart" : "FStart"))->click();
    QVERIFY(w.MSComm().PortOpen());
    w.MSComm().setInBufferSize(1234); // any profile applied now would show

    option->click();
    QVERIFY(option->isChecked());
    QVERIFY(w.MSComm().PortOpen());
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Green);
    QCOMPARE(w.MSComm().InBufferSize(), 1234);
    QCOMPARE(h.ports.openings(kPort), 1);
}

void TestFolapCaptureModes::startTakesThePortFromTheSelectionEachTime()
{
    FolapHarness h;
    Folap &w = h.start();
    auto *portok = h.control<QComboBox>(QStringLiteral("Portok"));
    h.ports.next(255);
    portok->setCurrentIndex(254);
    h.control<QPushButton>(QStringLiteral("TStart"))->click();
    QCOMPARE(w.PortNumber(), quint8(255));
    QCOMPARE(w.MSComm().CommPort(), 255);
    QVERIFY(h.ports.current(255)->isOpen());

    // A new selection closes the link; the next Start uses it.
    h.ports.next(3);
    portok->setCurrentIndex(2);
    QCOMPARE(w.PortNumber(), quint8(255));
    h.control<QPushButton>(QStringLiteral("TStart"))->click();
    QCOMPARE(w.PortNumber(), quint8(3));
    QVERIFY(h.ports.current(3)->isOpen());
    QCOMPARE(h.ports.openings(255), 1);
}

void TestFolapCaptureModes::continuousStartClearsThePictureEachTime()
{
    FolapHarness h;
    Folap &w = h.start();
    h.control<QRadioButton>(QStringLiteral("Foly"))->click();
    for (int start = 1; start <= 2; ++start) {
        h.ports.next(kPort);
        markChart(w);
        h.control<QPushButton>(QStringLiteral("FStart"))->click();
        QVERIFY(chartIsClear(w));
        QCOMPARE(h.ports.openings(kPort), start);
        QVERIFY(w.MSComm().PortOpen());
    }
}

void TestFolapCaptureModes::triggeredStartPreparesAFreshRecording_data()
{
    QTest::addColumn<bool>("autoClear");
    QTest::addColumn<int>("magnifier"); // the scroll bar's value before the Start
    QTest::addColumn<bool>("restart"); // pressed while already armed
    QTest::addColumn<bool>("cleared");
    QTest::newRow("auto clear") << true << 700 << false << true;
    QTest::newRow("no auto clear keeps the drawing") << false << 0 << false << false;
    // Moving the magnifier back to 0 redraws it, and a magnified view always starts afresh.
    QTest::newRow("no auto clear, magnifier moved back") << false << 700 << false << true;
    QTest::newRow("restart while armed") << true << 700 << true << true;
}

void TestFolapCaptureModes::triggeredStartPreparesAFreshRecording()
{
    QFETCH(bool, autoClear);
    QFETCH(int, magnifier);
    QFETCH(bool, restart);
    QFETCH(bool, cleared);
    FolapHarness h;
    Folap &w = h.start();
    h.control<QCheckBox>(QStringLiteral("Torles"))->setChecked(autoClear);
    if (restart) {
        h.ports.next(kPort);
        h.control<QPushButton>(QStringLiteral("TStart"))->click();
        h.ports.current(kPort)->feed(QByteArray(300, '\x80'));
    }
    auto *csuszka = h.control<QScrollBar>(QStringLiteral("Csuszka"));
    csuszka->setValue(magnifier);
    h.window->session().captureBuffer().fill(5);
    markChart(w);
    FakeSerialDevice *device = h.ports.next(kPort);

    h.control<QPushButton>(QStringLiteral("TStart"))->click();

    QVERIFY(device->isOpen());
    QCOMPARE(h.ports.openings(kPort), restart ? 2 : 1);
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Green);
    QCOMPARE(h.window->session().captureBuffer()[0], quint8(5));
    for (int i = 1; i <= kTransientCaptureBytes; ++i)
        QCOMPARE(h.window->session().captureBuffer()[i], quint8(0));
    QCOMPARE(h.window->session().captureBuffer()[4101], quint8(5));
    QCOMPARE(h.window->session().captureBuffer()[12000], quint8(5));
    QVERIFY(device->discardCount() >= 1);
    QCOMPARE(w.MSComm().InBufferCount(), 0);
    QCOMPARE(csuszka->value(), 0);
    if (cleared)
        QVERIFY(chartIsClear(w));
    else
        QCOMPARE(w.Rajz()->image().pixel(30, 10), qRgb(255, 0, 0));
}

void TestFolapCaptureModes::failedStartSkipsItsRemainingSteps_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message"); // empty: the number is written on the window
    QTest::newRow("continuous, no such port")
        << false << 8002 << "Invalid Port Number! Please select another!";
    QTest::newRow("continuous, other") << false << 8010 << "";
    QTest::newRow("triggered, held elsewhere")
        << true << 8005 << "This Port Used! Please select anothert!";
    QTest::newRow("triggered, other") << true << 8012 << "";
}

void TestFolapCaptureModes::failedStartSkipsItsRemainingSteps()
{
    QFETCH(bool, triggered);
    QFETCH(int, error);
    QFETCH(QString, message);
    FolapHarness h;
    Folap &w = h.start();
    if (!triggered)
        h.control<QRadioButton>(QStringLiteral("Foly"))->click();
    const int port = 40;
    h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(port - 1);
    if (error != SerialError::InvalidPort)
        h.ports.next(port)->failOpenWith(error);
    auto *csuszka = h.control<QScrollBar>(QStringLiteral("Csuszka"));
    csuszka->setValue(700);
    h.window->session().captureBuffer().fill(5);
    markChart(w);
    h.setBackColorOf(QStringLiteral("LED"), LampColor::Green);
    h.setBackColorOf(QStringLiteral("LED2"), LampColor::Green);
    if (message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("Comm 40: .*\\(error %1\\)").arg(error)));

    h.control<QPushButton>(QLatin1String(triggered ? "TStart" : "FStart"))->click();

    QCOMPARE(w.PortNumber(), quint8(port));
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    // The triggered Start darkens it itself before anything can fail.
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Black);
    QCOMPARE(h.window->session().captureBuffer()[1], quint8(5));
    QCOMPARE(h.window->session().captureBuffer()[4100], quint8(5));
    QCOMPARE(csuszka->value(), 700);
    QCOMPARE(w.Rajz()->image().pixel(30, 10), qRgb(255, 0, 0));
    QCOMPARE(h.control<QRadioButton>(QStringLiteral("Triger"))->isChecked(), triggered);
    QCOMPARE(int(h.window->session().MintaSetting()), 31);
    if (message.isEmpty()) {
        QVERIFY(h.prompts.messages.isEmpty());
        QCOMPARE(w.surface()->printed().size(), 1);
        QCOMPARE(w.surface()->printed().first().text, QString::number(error));
        QCOMPARE(h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), port - 1);
    } else {
        QCOMPARE(h.prompts.messages.size(), 1);
        QCOMPARE(h.prompts.messages.first().text, message);
        QCOMPARE(h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), -1);
    }
}

void TestFolapCaptureModes::startAfterAFailureWithoutANewChoiceFindsNoPort()
{
    FolapHarness h;
    Folap &w = h.start();
    h.ports.next(kPort)->failOpenWith(SerialError::PortInUse);
    h.control<QPushButton>(QStringLiteral("TStart"))->click();
    h.control<QPushButton>(QStringLiteral("TStart"))->click();
    QCOMPARE(w.PortNumber(), quint8(0));
    QCOMPARE(h.prompts.messages.size(), 2);
    QCOMPARE(h.prompts.messages.last().text,
        QStringLiteral("Invalid Port Number! Please select anothert!"));
}

void TestFolapCaptureModes::continuousStopDropsRts()
{
    FolapHarness h;
    Folap &w = h.start();
    h.control<QRadioButton>(QStringLiteral("Foly"))->click();
    w.MSComm().setRTSEnable(true);
    h.ports.next(kPort);
    h.control<QPushButton>(QStringLiteral("FStart"))->click();
    QCOMPARE(h.ports.current(kPort)->rtsHistory(), QList<bool> { true });
    h.control<QPushButton>(QStringLiteral("FStop"))->click();
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(w.MSComm().RTSEnable(), false);
}

void TestFolapCaptureModes::triggeredStopLetsAContinuousRunGoOn()
{
    FolapHarness h("Minta=2\n");
    h.start();
    h.control<QRadioButton>(QStringLiteral("Foly"))->click();
    h.ports.next(kPort);
    h.control<QPushButton>(QStringLiteral("FStart"))->click();
    h.ports.current(kPort)->feed(QByteArray::fromHex("8100"));
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Red);

    h.control<QPushButton>(QStringLiteral("TMegse"))->click();
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Black);
    h.ports.current(kPort)->feed(QByteArray::fromHex("8020"));
    QCOMPARE(h.control<QLabel>(QStringLiteral("Ertek"))->text(), QStringLiteral("+ 32"));
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Black);
    h.ports.current(kPort)->feed(QByteArray::fromHex("8100"));
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Red);
}

void TestFolapCaptureModes::failedReopeningAfterACaptureIsReported_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message"); // empty: the number is written on the window
    QTest::addColumn<int>("selection");
    QTest::newRow("adapter gone") << 8002 << "Invalid Port Number! Please select anothert!" << -1;
    QTest::newRow("taken by another program")
        << 8005 << "This Port Used! Please select anothert!" << -1;
    QTest::newRow("device error") << 8012 << "" << 0;
}

void TestFolapCaptureModes::failedReopeningAfterACaptureIsReported()
{
    QFETCH(int, error);
    QFETCH(QString, message);
    QFETCH(int, selection);
    FolapHarness h;
    Folap &w = h.start();
    h.state.PenColor = 0x0000FF;
    h.ports.next(kPort);
    h.control<QPushButton>(QStringLiteral("TStart"))->click();
    h.ports.next(kPort)->failOpenWith(error);
    if (message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("Comm 1: .*\\(error %1\\)").arg(error)));

    QByteArray transient;
    for (int i = 0; i < 2051; ++i)
        transient += QByteArray::fromHex("8000");
    h.ports.current(kPort)->feed(transient);

    // The capture is in and drawn.
    QCOMPARE(h.window->session().captureBuffer()[1], quint8(128));
    QCOMPARE(h.window->session().captureBuffer()[4100], quint8(0));
    QCOMPARE(w.Rajz()->image().pixel(300, 255), qRgb(255, 0, 0));
    // The port stays closed, the lamp red, and the user is told.
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    QCOMPARE(h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), selection);
    if (message.isEmpty()) {
        QVERIFY(h.prompts.messages.isEmpty());
        QCOMPARE(w.surface()->printed().size(), 1);
        QCOMPARE(w.surface()->printed().first().text, QString::number(error));
    } else {
        QCOMPARE(h.prompts.messages.size(), 1);
        QCOMPARE(h.prompts.messages.first().text, message);
        QCOMPARE(h.prompts.messages.first().icon, UserPrompts::Icon::Critical);
    }
}

QTEST_MAIN(TestFolapCaptureModes)
#include "tst_folap_capture_modes.moc"
