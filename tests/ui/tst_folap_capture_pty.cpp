// The capture modes end to end: the main window on real pseudo-terminals through QSerialPort,
// with the test writing the drive's side. Live samples, transients, the CPU saver's blocks,
// refused Starts and a device that vanishes mid-stream.
#include "folap_harness.h"
#include "port_holder.h"
#include "pty_pair.h"

#include "ui/chart_surface.h"
#include "ui/vertical_gauge.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

constexpr int kPort = 1; // the first run selects the first entry
constexpr quint32 kPen = 0x0000FF;
const QRgb kPenRgb = qRgb(255, 0, 0);

QByteArray pairs(int count, quint8 marker, quint8 value)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(marker)).append(char(value));
    return bytes;
}

// The window with port kPort on the pty's slave side.
struct PtyWindow
{
    explicit PtyWindow(const PtyPair &pty, const QByteArray &setupLines = QByteArray("Minta=2\n"))
        : h(setupLines)
    {
        h.portMap.setDevice(kPort, pty.slavePath());
        h.start(h.portMap.factory());
        h.state.PenColor = kPen; // start-up made it black
    }
    Folap &w() { return *h.window; }
    void click(const char *name) { h.control<QAbstractButton>(QLatin1String(name))->click(); }
    int positive() { return h.control<VerticalGauge>(QStringLiteral("Pozitivbar"))->value(); }
    int negative() { return h.control<VerticalGauge>(QStringLiteral("Negativbar"))->value(); }
    QString ertek() { return h.control<QLabel>(QStringLiteral("Ertek"))->text(); }
    quint32 led() { return h.backColor(QStringLiteral("LED")); }
    quint32 led2() { return h.backColor(QStringLiteral("LED2")); }
    QRgb pixel(int x, int y) { return w().Rajz()->image().pixel(x, y); }
    QRgb background(int x, int y) { return w().Rajz()->picture().pixel(x, y); }

    FolapHarness h;
};

} // namespace

class TestFolapCapturePty : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void streamedSamplesAreShownOneByOne();
    void saverShowsTheBlocksThatStartOnAMarker();
    void transientIsCapturedAndDrawnThenTheRecorderRearms();
    void transientFillsWhatTheProfilesBufferHolds_data();
    void transientFillsWhatTheProfilesBufferHolds();
    void overflowInContinuousModeIsCapturedToo();
    void autoClearDecidesWhetherCapturesPileUp_data();
    void autoClearDecidesWhetherCapturesPileUp();
    void startWithoutASelectedPortIsRefused_data();
    void startWithoutASelectedPortIsRefused();
    void startOnAPortHeldElsewhereIsRefused_data();
    void startOnAPortHeldElsewhereIsRefused();
    void vanishedDeviceEndsTheLinkAndAFreshStartWorks();
};

void TestFolapCapturePty::streamedSamplesAreShownOneByOne()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    win.click("Foly");
    win.click("FStart");
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Green);
    QCOMPARE(win.led2(), LampColor::Green);

    struct Expected
    {
        const char *hex;
        int positive, negative;
        const char *ertek;
        quint32 led2;
    };
    const Expected stream[] = {
        { "8025", 37, 0, "+ 37", LampColor::Green },
        { "81ff", 0, 1, "- 1", LampColor::Green },
        { "8000", 0, 0, "+ 0", LampColor::Green },
        { "8101", 0, 255, "- 255", LampColor::Green },
        { "80ff", 255, 0, "+ 255", LampColor::Green },
        { "8100", 0, 0, "- 0", LampColor::Red },
        { "8080", 128, 0, "+ 128", LampColor::Red },
        { "8181", 0, 127, "- 127", LampColor::Red },
    };
    quint64 shown = win.w().samplesShown();
    for (const Expected &e : stream) {
        QVERIFY(pty.write(QByteArray::fromHex(e.hex)));
        ++shown;
        QTRY_COMPARE(win.w().samplesShown(), shown);
        QCOMPARE(win.positive(), e.positive);
        QCOMPARE(win.negative(), e.negative);
        QCOMPARE(win.ertek(), QLatin1String(e.ertek));
        QCOMPARE(win.led2(), e.led2);
    }

    // A burst in odd-sized writes loses no pair.
    const QByteArray burst = pairs(1000, 129, 0xfe) + pairs(1, 128, 42);
    QVERIFY(pty.writeChunked(burst, { 3, 1, 7, 64, 5 }));
    QTRY_COMPARE(win.w().samplesShown(), shown + 1001);
    QCOMPARE(win.ertek(), QStringLiteral("+ 42"));
}

void TestFolapCapturePty::saverShowsTheBlocksThatStartOnAMarker()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty, QByteArray()); // first run: the saver is on
    QVERIFY(win.h.control<QCheckBox>(QStringLiteral("Csok"))->isChecked());
    win.click("Foly");
    win.click("FStart");
    QCOMPARE(win.led2(), LampColor::Black);

    // 31-byte blocks: the 1st, 3rd... start on a marker, the 2nd, 4th... on a value byte.
    QByteArray stream;
    for (int p = 0; p < 31 * 4; ++p)
        stream.append(char(128)).append(char(p < 31 ? 5 : 129));
    QVERIFY(pty.write(stream.left(62)));
    QTRY_COMPARE(win.w().samplesShown(), quint64(1));
    QCOMPARE(win.ertek(), QStringLiteral("+ 5"));

    // The next two blocks show (128, 129), then a value byte of 129 passing for a marker:
    // (129, 128) is -128. Had the second block been shown, the count would be past 3.
    QVERIFY(pty.write(stream.mid(62, 62)));
    QTRY_COMPARE(win.w().samplesShown(), quint64(3));
    QCOMPARE(win.ertek(), QStringLiteral("- 128"));
    QCOMPARE(win.negative(), 128);
    QCOMPARE(win.led2(), LampColor::Black);
}

void TestFolapCapturePty::transientIsCapturedAndDrawnThenTheRecorderRearms()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    win.click("TStart");
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Green);
    win.w().Rajz()->setDrawWidth(1); // as a magnified view leaves it

    // The start-up buffer holds 4100 bytes; the next one overflows it.
    QVERIFY(pty.write(pairs(2051, 128, 0)));
    QTRY_COMPARE(win.led(), LampColor::Red);
    for (int i = 1; i <= kTransientCaptureBytes; ++i)
        QCOMPARE(int(win.h.window->session().captureBuffer()[i]), i % 2 ? 128 : 0);
    QCOMPARE(win.h.window->session().captureBuffer()[4101], quint8(0));
    for (int x = 0; x < ChartSurface::kWidth; ++x) {
        QCOMPARE(win.pixel(x, 254), kPenRgb);
        QCOMPARE(win.pixel(x, 255), kPenRgb);
        QCOMPARE(win.pixel(x, 253), win.background(x, 253));
        QCOMPARE(win.pixel(x, 256), win.background(x, 256));
    }
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.ertek(), QStringLiteral("+0")); // receive events were ignored

    // Re-armed: a ramp falling from +255 is captured over the first, at the right rows.
    QByteArray ramp;
    for (int p = 0; p < 2051; ++p)
        ramp.append(char(128)).append(char(255 - (p % 200)));
    QVERIFY(pty.write(ramp));
    QTRY_COMPARE(win.h.window->session().captureBuffer()[2], quint8(255));
    // Column 1 starts at byte 3, pair 1; column 300 at byte 1024, whose next marker is pair 512.
    QCOMPARE(win.pixel(1, 255 - 254), kPenRgb);
    QCOMPARE(win.pixel(300, 255 - 143), kPenRgb);
    QTRY_VERIFY(win.w().MSComm().PortOpen());
}

void TestFolapCapturePty::transientFillsWhatTheProfilesBufferHolds_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("bufferSize");
    QTest::newRow("triggered option chosen") << "option" << 4000;
    QTest::newRow("CPU saver changed") << "saver" << 12000;
}

void TestFolapCapturePty::transientFillsWhatTheProfilesBufferHolds()
{
    QFETCH(QString, change);
    QFETCH(int, bufferSize);
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    if (change == QLatin1String("option")) {
        win.click("Foly");
        win.click("Triger");
    } else {
        win.click("Csok");
    }
    QCOMPARE(win.w().MSComm().InBufferSize(), bufferSize);
    win.click("TStart");

    QByteArray transient(bufferSize, '\0');
    for (int i = 0; i < bufferSize; ++i)
        transient[i] = char(1 + i % 253);
    QVERIFY(pty.write(transient));
    QTRY_COMPARE(win.w().MSComm().InBufferCount(), bufferSize);
    QCOMPARE(win.led(), LampColor::Green); // full, but nothing lost yet
    QVERIFY(pty.write(QByteArray(1, '\x80')));
    QTRY_COMPARE(win.led(), LampColor::Red);

    const int captured = std::min(bufferSize, int(kTransientCaptureBytes));
    for (int i = 1; i <= captured; ++i)
        QCOMPARE(int(win.h.window->session().captureBuffer()[i]), 1 + (i - 1) % 253);
    for (int i = captured + 1; i <= kTransientCaptureBytes; ++i)
        QCOMPARE(win.h.window->session().captureBuffer()[i], quint8(0));
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.w().MSComm().InBufferCount(), 0);
}

// With no receive events to empty it (a drive faster than the display), the buffer overflows in
// continuous mode too, and the capture is taken the same way.
void TestFolapCapturePty::overflowInContinuousModeIsCapturedToo()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    win.click("Foly");
    win.w().MSComm().applyProfile({ false, 4000, 0, 1 });
    win.click("FStart");
    QVERIFY(pty.write(pairs(2001, 128, 100)));
    QTRY_COMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.h.window->session().captureBuffer()[4000], quint8(100));
    QCOMPARE(win.h.window->session().captureBuffer()[4001], quint8(0));
    QCOMPARE(win.pixel(300, 155), kPenRgb);
    QVERIFY(win.w().MSComm().PortOpen());
    QVERIFY(win.h.control<QRadioButton>(QStringLiteral("Foly"))->isChecked());
}

void TestFolapCapturePty::autoClearDecidesWhetherCapturesPileUp_data()
{
    QTest::addColumn<bool>("autoClear");
    QTest::newRow("auto clear") << true;
    QTest::newRow("no auto clear") << false;
}

void TestFolapCapturePty::autoClearDecidesWhetherCapturesPileUp()
{
    QFETCH(bool, autoClear);
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    win.h.control<QCheckBox>(QStringLiteral("Torles"))->setChecked(autoClear);
    win.click("TStart");
    QVERIFY(pty.write(pairs(2051, 128, 50)));
    QTRY_COMPARE(win.pixel(300, 205), kPenRgb);
    QTRY_VERIFY(win.w().MSComm().PortOpen());

    win.h.state.PenColor = 0xFFFF00;
    QVERIFY(pty.write(pairs(2051, 129, 206)));
    QTRY_COMPARE(win.pixel(300, 305), qRgb(0, 255, 255));
    QCOMPARE(win.pixel(300, 205) == kPenRgb, !autoClear);
}

void TestFolapCapturePty::startWithoutASelectedPortIsRefused_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("message");
    QTest::newRow("continuous") << "FStart"
                                << "Invalid Port Number! Please select another!";
    QTest::newRow("triggered") << "TStart"
                               << "Invalid Port Number! Please select anothert!";
}

void TestFolapCapturePty::startWithoutASelectedPortIsRefused()
{
    QFETCH(QString, start);
    QFETCH(QString, message);
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    if (start == QLatin1String("FStart"))
        win.click("Foly");
    win.h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(-1);
    win.h.control<QPushButton>(start)->click();
    QCOMPARE(win.w().PortNumber(), quint8(0));
    QVERIFY(!win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.led2(), LampColor::Black);
    QCOMPARE(win.h.prompts.messages.size(), 1);
    QCOMPARE(win.h.prompts.messages.first().text, message);
    QCOMPARE(win.h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), -1);
}

void TestFolapCapturePty::startOnAPortHeldElsewhereIsRefused_data()
{
    startWithoutASelectedPortIsRefused_data();
}

void TestFolapCapturePty::startOnAPortHeldElsewhereIsRefused()
{
    QFETCH(QString, start);
    QFETCH(QString, message);
    message.replace(QStringLiteral("Invalid Port Number!"), QStringLiteral("This Port Used!"));
    PtyPair pty;
    QVERIFY(pty.isValid());
    PtyWindow win(pty);
    if (start == QLatin1String("FStart"))
        win.click("Foly");
    {
        PortHolder holder(pty.slavePath());
        QVERIFY(holder.holds());
        win.h.control<QPushButton>(start)->click();
        QCOMPARE(win.w().PortNumber(), quint8(kPort));
        QVERIFY(!win.w().MSComm().PortOpen());
        QCOMPARE(win.led(), LampColor::Red);
        QCOMPARE(win.h.prompts.messages.size(), 1);
        QCOMPARE(win.h.prompts.messages.first().text, message);
        QCOMPARE(win.h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), -1);
    }
    // Released and chosen again: the Start goes through.
    win.h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(kPort - 1);
    win.h.control<QPushButton>(start)->click();
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Green);
}

void TestFolapCapturePty::vanishedDeviceEndsTheLinkAndAFreshStartWorks()
{
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    PtyWindow win(*pty);
    win.click("Foly");
    win.click("FStart");
    QVERIFY(pty->write(QByteArray::fromHex("8100"
                                           "8133")));
    QTRY_COMPARE(win.ertek(), QStringLiteral("- 205"));
    win.w().Rajz()->Line(QPoint(10, 10), QPoint(50, 10), kPen);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Comm 1: .*error 8012")));
    pty->closeMaster();
    QTRY_VERIFY(!win.w().MSComm().PortOpen());
    QCOMPARE(win.led(), LampColor::Red);
    QCOMPARE(win.led2(), LampColor::Black);
    // The last display stays.
    QCOMPARE(win.ertek(), QStringLiteral("- 205"));
    QCOMPARE(win.negative(), 205);
    QCOMPARE(win.pixel(30, 10), kPenRgb);
    QVERIFY(win.h.prompts.messages.isEmpty());
    // The window stays responsive and hears nothing more from the dead device.
    const quint64 shown = win.w().samplesShown();
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(win.w().samplesShown(), shown);

    // The adapter comes back (as a new device node).
    pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    win.h.portMap.setDevice(kPort, pty->slavePath());
    win.click("FStart");
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.led2(), LampColor::Green);
    QVERIFY(pty->write(QByteArray::fromHex("800c")));
    QTRY_COMPARE(win.ertek(), QStringLiteral("+ 12"));
}

int main(int argc, char **argv)
{
    if (const int held = holdPortIfAsked(argc, argv); held >= 0)
        return held;
    QApplication app(argc, argv);
    TestFolapCapturePty test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_folap_capture_pty.moc"
