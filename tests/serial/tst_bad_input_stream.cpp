// What a drive, or a wrong device, can send down the line, through the main window's receive
// path on a fake port: bytes that are never markers, lone markers, floods of over-spin, bursts far
// larger than the receive buffer. Each stream ends in one clear display, shows every pair it
// should, and never leaves a capture or a half-read block behind by accident.
#include "folap_harness.h"

#include "ui/chart_surface.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>

namespace {

constexpr int kPort = 1;
constexpr int kCapture = kTransientCaptureBytes;
// The start-up profile's receive buffer; the byte after it overflows.
constexpr int kTriggeredBuffer = 4100;

QByteArray pairs(int count, quint8 marker, quint8 value)
{
    QByteArray bytes;
    bytes.reserve(2 * count);
    for (int i = 0; i < count; ++i)
        bytes.append(char(marker)).append(char(value));
    return bytes;
}

// Random bytes, none of them a marker.
QByteArray noMarkers(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes) {
        const quint8 value = quint8(random.bounded(254));
        c = char(value < 128 ? value : value + 2);
    }
    return bytes;
}

// Bytes 1, 2 ... 251, 1, 2...: where a capture starts shows in its first byte.
QByteArray numbered(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(1 + i % 251);
    return bytes;
}

QByteArray repeated(const QByteArray &unit, int times)
{
    QByteArray bytes;
    for (int i = 0; i < times; ++i)
        bytes += unit;
    return bytes;
}

// The window started in one mode on a fake port whose every opening gets a fresh device.
struct StreamWindow
{
    explicit StreamWindow(bool continuous)
        : h(QByteArray("Minta=2\n"))
    {
        h.start();
        if (continuous)
            h.control<QAbstractButton>(QStringLiteral("Foly"))->click();
        h.ports.next(kPort);
        h.control<QPushButton>(QLatin1String(continuous ? "FStart" : "TStart"))->click();
    }
    void feed(const QByteArray &bytes) { h.ports.current(kPort)->feed(bytes); }
    Folap &w() { return *h.window; }
    int positive()
    {
        return h.control<QWidget>(QStringLiteral("Pozitivbar"))->property("value").toInt();
    }
    int negative()
    {
        return h.control<QWidget>(QStringLiteral("Negativbar"))->property("value").toInt();
    }
    QString ertek() { return h.control<QLabel>(QStringLiteral("Ertek"))->text(); }
    bool chartUntouched() { return w().Rajz()->image() == w().Rajz()->picture(); }
    int captures() { return h.ports.openings(kPort) - 1; }

    FolapHarness h;
};

} // namespace

class TestBadInputStream : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachStreamEndsInOneClearDisplay_data();
    void eachStreamEndsInOneClearDisplay();
    void burstsBeyondTheBufferAreCapturedWithoutStaleBytes_data();
    void burstsBeyondTheBufferAreCapturedWithoutStaleBytes();
};

void TestBadInputStream::eachStreamEndsInOneClearDisplay_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("shown"); // samples shown by the stream
    QTest::addColumn<QString>("ertek");
    QTest::addColumn<int>("positive");
    QTest::addColumn<int>("negative");
    QTest::addColumn<bool>("overSpin");
    QTest::addColumn<int>("waiting"); // bytes left for the next arrival

    // Before each stream the display shows (128, 9).
    QTest::newRow("bytes that are never markers")
        << noMarkers(20000, 1) << 0 << "+ 9" << 9 << 0 << false << 0;
    QTest::newRow("zero bytes") << QByteArray(20000, '\0') << 0 << "+ 9" << 9 << 0 << false << 0;
    QTest::newRow("only 128s") << QByteArray(20000, '\x80') << 10000 << "+ 128" << 128 << 0 << false
                               << 0;
    QTest::newRow("only 129s") << QByteArray(20000, '\x81') << 10000 << "- 127" << 0 << 127 << false
                               << 0;
    QTest::newRow("over-spin flood")
        << pairs(50000, 129, 0) << 50000 << "- 0" << 0 << 0 << true << 0;
    QTest::newRow("garbage of even length, then pairs")
        << noMarkers(1000, 2) + pairs(1000, 128, 7) << 1000 << "+ 7" << 7 << 0 << false << 0;
    // The read that ends on the first marker drops that marker's value, and the reads are back
    // on pairs for the rest.
    QTest::newRow("garbage of odd length, then pairs")
        << noMarkers(999, 3) + pairs(1000, 128, 7) << 999 << "+ 7" << 7 << 0 << false << 0;
    // 80 05 81 80 05 81...: reads (80 05), (81 80), then (05 81) with the next 80 dropped, again
    // and again; the last byte pays the last drop.
    QTest::newRow("a lone marker in every pair")
        << repeated(QByteArray::fromHex("800581"), 3000) + QByteArray(1, '\x80') << 2 << "- 128"
        << 0 << 128 << false << 0;
    QByteArray burst;
    for (int i = 0; i < 100000; ++i)
        burst.append(char(128)).append(char(i % 200));
    QTest::newRow("100 000 pairs in one arrival")
        << burst << 100000 << "+ 199" << 199 << 0 << false << 0;
    QTest::newRow("a huge arrival ending on a lone marker")
        << burst + QByteArray(1, '\x81') << 100000 << "+ 199" << 199 << 0 << false << 1;
}

void TestBadInputStream::eachStreamEndsInOneClearDisplay()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, shown);
    QFETCH(QString, ertek);
    QFETCH(int, positive);
    QFETCH(int, negative);
    QFETCH(bool, overSpin);
    QFETCH(int, waiting);

    StreamWindow win(true);
    win.feed(QByteArray::fromHex("8009"));
    const quint64 before = win.w().samplesShown();
    win.feed(stream);

    QCOMPARE(win.w().samplesShown() - before, quint64(shown));
    QCOMPARE(win.ertek(), ertek);
    QCOMPARE(win.positive(), positive);
    QCOMPARE(win.negative(), negative);
    QCOMPARE(int(win.h.window->session().liveDeviation()), std::max(positive, negative));
    QCOMPARE(win.h.backColor(QStringLiteral("LED2")), overSpin ? LampColor::Red : LampColor::Green);
    QCOMPARE(win.w().MSComm().InBufferCount(), waiting);
    // Still running, and no overflow: nothing captured, nothing drawn.
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.h.backColor(QStringLiteral("LED")), LampColor::Green);
    QCOMPARE(win.captures(), 0);
    QVERIFY(std::all_of(win.h.window->session().captureBuffer().cbegin(),
        win.h.window->session().captureBuffer().cend(), [](quint8 byte) { return byte == 0; }));
    QVERIFY(win.chartUntouched());
    QVERIFY(win.h.prompts.messages.isEmpty());

    // The next proper pair shows as it should.
    win.feed(QByteArray(waiting % 2, '\x80') + QByteArray::fromHex("8021"));
    QCOMPARE(win.ertek(), QStringLiteral("+ 33"));
}

void TestBadInputStream::burstsBeyondTheBufferAreCapturedWithoutStaleBytes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("arrival"); // bytes per arrival
    QTest::newRow("100 000 bytes in one arrival") << 100000 << 100000;
    QTest::newRow("100 000 bytes, 7 at a time") << 100000 << 7;
    QTest::newRow("100 000 bytes, one buffer and one byte at a time")
        << 100000 << kTriggeredBuffer + 1;
    QTest::newRow("100 000 bytes, 3000 at a time") << 100000 << 3000;
}

// Each overflow captures the first 4100 bytes waiting and reopens the port, which drops the rest
// of that arrival: the next capture starts with the next arrival, never with bytes of the last.
void TestBadInputStream::burstsBeyondTheBufferAreCapturedWithoutStaleBytes()
{
    QFETCH(int, size);
    QFETCH(int, arrival);
    StreamWindow win(false);
    const QByteArray burst = numbered(size);

    // Where each capture starts: the overflowing byte is kTriggeredBuffer bytes on, and the next
    // opening hears from the arrival after the one that held it.
    QList<int> starts;
    for (int start = 0; start + kTriggeredBuffer < size;
         start = ((start + kTriggeredBuffer) / arrival + 1) * arrival)
        starts << start;
    QVERIFY(starts.size() > 1 || arrival >= size);

    for (int at = 0; at < size; at += arrival)
        win.feed(burst.mid(at, arrival));

    QCOMPARE(win.captures(), starts.size());
    const QByteArray last = burst.mid(starts.last(), kCapture);
    for (int i = 0; i < kCapture; ++i)
        QCOMPARE(win.h.window->session().captureBuffer()[i + 1], quint8(last.at(i)));
    QVERIFY(win.w().MSComm().PortOpen());
    QCOMPARE(win.h.backColor(QStringLiteral("LED")), LampColor::Red);
    // What waits is the tail after the last capture's arrival, no more.
    const int tailStart = ((starts.last() + kTriggeredBuffer) / arrival + 1) * arrival;
    QCOMPARE(win.w().MSComm().InBufferCount(), std::max(0, size - tailStart));
    QCOMPARE(win.ertek(), QStringLiteral("+0"));
    QVERIFY(win.h.prompts.messages.isEmpty());
}

QTEST_MAIN(TestBadInputStream)
#include "tst_bad_input_stream.moc"
