// The serial control's events on the main window, on fake ports: reads cut where a real port
// seldom cuts them, the recorder ignoring receive events, and the capture with its overview.
#include "folap_harness.h"
#include "paint_counter.h"

#include "ui/chart_surface.h"
#include "ui/frame_clock.h"
#include "ui/vertical_gauge.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

constexpr int kPort = 1;
constexpr quint32 kPen = 0x0000FF; // red: tells the lines from the chart's own artwork
const QRgb kPenRgb = qRgb(255, 0, 0);

// Pairs (128, p % 100) for p = 0, 1, 2...: a sawtooth whose pair p starts at byte 2p + 1.
QByteArray sawtooth(int count)
{
    QByteArray bytes;
    for (int p = 0; p < count; ++p)
        bytes.append(char(128)).append(char(p % 100));
    return bytes;
}

struct Window
{
    explicit Window(bool continuous, bool saver = false)
        : h(saver ? QByteArray() : QByteArray("Minta=2\n"))
    {
        h.start();
        h.state.PenColor = kPen; // start-up made it black
        if (continuous)
            h.control<QRadioButton>(QStringLiteral("Foly"))->click();
        h.ports.next(kPort);
        h.control<QPushButton>(QLatin1String(continuous ? "FStart" : "TStart"))->click();
        // The reopening after a capture gets a device too.
        h.ports.next(kPort);
    }
    Folap &w() { return *h.window; }
    FakeSerialDevice *device() { return h.ports.current(kPort); }
    void feed(const QByteArray &bytes) { device()->feed(bytes); }
    int positive() { return h.control<VerticalGauge>(QStringLiteral("Pozitivbar"))->value(); }
    int negative() { return h.control<VerticalGauge>(QStringLiteral("Negativbar"))->value(); }
    QString ertek() { return h.control<QLabel>(QStringLiteral("Ertek"))->text(); }
    quint32 led2() { return h.backColor(QStringLiteral("LED2")); }
    const QImage &image() { return w().Rajz()->image(); }
    const QImage &picture() { return w().Rajz()->picture(); }

    FolapHarness h;
};

} // namespace

class TestFolapCapture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void receivedSampleIsShown_data();
    void receivedSampleIsShown();
    void aStreamOfSamplesReachesTheScreenOncePerFrameWithoutLayouts();
    void receiveEventsChangeNothingInTriggeredMode();
    void overflowReadsTheCaptureAndRearms();
    void overviewDrawsEachColumnAtItsPairsRow_data();
    void overviewDrawsEachColumnAtItsPairsRow();
    void overviewOfACaptureWithoutMarkersIsEmpty();
};

void TestFolapCapture::receivedSampleIsShown_data()
{
    QTest::addColumn<int>("inputLen");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("positive");
    QTest::addColumn<int>("negative");
    QTest::addColumn<QString>("ertek");
    QTest::addColumn<int>("liveDeviation");
    QTest::addColumn<bool>("overSpin");
    // The display shows (128, 9) before each row, so "unchanged" is visible. Whole pairs are
    // followed end to end on a pty; these are the reads a fake port can cut any way.
    QTest::newRow("lone positive marker")
        << 1 << QByteArray::fromHex("80") << 0 << 0 << "+ 0" << 0 << false;
    QTest::newRow("lone negative marker is an over-spin")
        << 1 << QByteArray::fromHex("81") << 0 << 0 << "- 0" << 0 << true;
    QTest::newRow("no marker: unchanged")
        << 2 << QByteArray::fromHex("7f81") << 9 << 0 << "+ 9" << 9 << false;
    QTest::newRow("zero byte first: unchanged")
        << 2 << QByteArray::fromHex("0080") << 9 << 0 << "+ 9" << 9 << false;
}

void TestFolapCapture::receivedSampleIsShown()
{
    QFETCH(int, inputLen);
    QFETCH(QByteArray, bytes);
    QFETCH(int, positive);
    QFETCH(int, negative);
    QFETCH(QString, ertek);
    QFETCH(int, liveDeviation);
    QFETCH(bool, overSpin);
    Window win(true);
    win.feed(QByteArray::fromHex("8009"));
    QCOMPARE(win.ertek(), QStringLiteral("+ 9"));
    win.w().MSComm().applyProfile({ false, 4000, inputLen, inputLen });
    win.w().setPortNumber(kPort);
    win.w().OpenPort(); // the profile takes effect at the next opening

    win.feed(bytes);
    QCOMPARE(win.positive(), positive);
    QCOMPARE(win.negative(), negative);
    QCOMPARE(win.ertek(), ertek);
    QCOMPARE(int(win.h.window->session().liveDeviation()), liveDeviation);
    QCOMPARE(win.led2(), overSpin ? LampColor::Red : LampColor::Green);
    QCOMPARE(win.w().MSComm().InBufferCount(), 0);
}

// Bars and read-out change with every sample; together they push the window to the screen once
// per frame, and a caption change is only a repaint, never a new layout.
void TestFolapCapture::aStreamOfSamplesReachesTheScreenOncePerFrameWithoutLayouts()
{
    Window win(true);
    win.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.w()));
    QCoreApplication::processEvents();
    auto *ertek = win.h.control<QWidget>(QStringLiteral("Ertek"));
    UpdateWatch watch(&win.w(),
        { ertek, win.h.control<QWidget>(QStringLiteral("Pozitivbar")),
            win.h.control<QWidget>(QStringLiteral("Negativbar")) });
    auto *clock = win.h.control<FrameClock>(QStringLiteral("liveFrames"));
    QSignalSpy frames(clock, &FrameClock::frameStarted);
    int layoutRequests = 0;
    auto *layouts = new EventCounter(QEvent::LayoutRequest, &layoutRequests, ertek);
    ertek->parentWidget()->installEventFilter(layouts);

    // Positive samples first, then from half a frame on alternating signs, so that the
    // negative bar starts changing in the middle of a frame.
    QElapsedTimer sinceFirstFrame;
    connect(clock, &FrameClock::frameStarted, this, [&sinceFirstFrame] {
        if (!sinceFirstFrame.isValid())
            sinceFirstFrame.start();
    });
    const QDeadlineTimer deadline(20000);
    for (int i = 0; frames.size() < 5 && !deadline.hasExpired(); ++i) {
        const int value = 10 + i * 37 % 200;
        const bool negative = sinceFirstFrame.isValid()
            && sinceFirstFrame.elapsed() >= FrameClock::kFrameMilliseconds / 2 && i % 2;
        win.feed(negative ? QByteArray::fromHex("81") + char(256 - value)
                          : QByteArray::fromHex("80") + char(value));
        QCoreApplication::processEvents();
    }
    QCOMPARE(frames.size(), 5);
    // Each frame paints in one window update at most.
    QVERIFY2(
        watch.paintingUpdates <= frames.size(), qPrintable(QString::number(watch.paintingUpdates)));
    QCOMPARE(layoutRequests, 0);
}

void TestFolapCapture::receiveEventsChangeNothingInTriggeredMode()
{
    Window win(false);
    // Receive events every byte; the recorder must still ignore them.
    win.w().MSComm().applyProfile({ true, 4100, 1, 1 });
    win.w().setPortNumber(kPort);
    win.w().OpenPort();
    win.feed(QByteArray::fromHex("8100"
                                 "8050"));
    QCOMPARE(win.ertek(), QStringLiteral("+0"));
    QCOMPARE(win.positive(), 0);
    QCOMPARE(win.led2(), LampColor::Black);
    QCOMPARE(win.w().samplesShown(), quint64(0));
    // Nothing was read: the bytes still wait for the capture.
    QCOMPARE(win.w().MSComm().InBufferCount(), 4);
}

// The buffer sizes of the other profiles are followed on a pty; here the start-up profile's,
// with the re-arming in detail.
void TestFolapCapture::overflowReadsTheCaptureAndRearms()
{
    Window win(false);
    FakeSerialDevice *armed = win.device();
    win.w().Rajz()->setDrawWidth(1); // as a magnified view leaves it
    win.h.window->session().captureBuffer()[0] = 7;
    win.h.window->session().captureBuffer()[4101] = 7;

    QByteArray transient(4101, '\0');
    for (int i = 0; i < transient.size(); ++i)
        transient[i] = char(1 + i % 251);
    // Arriving in pieces, as a port delivers it.
    for (int at = 0; at < transient.size(); at += 1000)
        armed->feed(transient.mid(at, 1000));

    for (int i = 1; i <= kTransientCaptureBytes; ++i)
        QCOMPARE(int(win.h.window->session().captureBuffer()[i]), 1 + (i - 1) % 251);
    QCOMPARE(win.h.window->session().captureBuffer()[0], quint8(7));
    QCOMPARE(win.h.window->session().captureBuffer()[4101], quint8(7));
    QCOMPARE(win.w().Rajz()->DrawWidth(), 2);

    // Closed and reopened on the same port, empty, the lamp red, the profile unchanged.
    QVERIFY(!armed->isOpen());
    QCOMPARE(win.h.ports.openings(kPort), 2);
    QVERIFY(win.device()->isOpen());
    QCOMPARE(win.w().MSComm().CommPort(), kPort);
    QCOMPARE(win.w().MSComm().InBufferCount(), 0);
    QCOMPARE(win.w().MSComm().InBufferSize(), 4100);
    QCOMPARE(win.h.backColor(QStringLiteral("LED")), LampColor::Red);
}

void TestFolapCapture::overviewDrawsEachColumnAtItsPairsRow_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Column x searches from byte floor(x * 3.415): odd bytes are markers of the sawtooth,
    // even bytes values, which the search steps over to the next marker.
    QTest::newRow("column 1 from byte 3: pair 1") << 1 << 255 - 1;
    QTest::newRow("column 2 from byte 6: pair 3") << 2 << 255 - 3;
    QTest::newRow("column 200 from byte 683: pair 341") << 200 << 255 - 41;
    QTest::newRow("column 599 from byte 2045: pair 1022") << 599 << 255 - 22;
}

void TestFolapCapture::overviewDrawsEachColumnAtItsPairsRow()
{
    QFETCH(int, x);
    QFETCH(int, y);
    Window win(false);
    win.feed(sawtooth(2051));
    QCOMPARE(win.image().pixel(x, y), kPenRgb);
    // The line to the next column starts here; nothing is drawn far from the sawtooth.
    QCOMPARE(win.image().pixel(x, 400), win.picture().pixel(x, 400));
    QCOMPARE(win.image().pixel(x, 60), win.picture().pixel(x, 60));
}

void TestFolapCapture::overviewOfACaptureWithoutMarkersIsEmpty()
{
    Window win(false);
    win.w().Rajz()->LineTo(QPoint(100, 100), 0xFF00FF);
    win.feed(QByteArray(4101, '\x05'));
    QCOMPARE(win.h.window->session().captureBuffer()[4100], quint8(5));
    QVERIFY(win.image() == win.picture());
    QCOMPARE(win.w().Rajz()->currentPoint(), QPoint(0, 255));
}

QTEST_MAIN(TestFolapCapture)
#include "tst_folap_capture.moc"
