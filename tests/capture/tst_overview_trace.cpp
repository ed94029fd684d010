// The overview of a capture: which pair each of the 600 columns finds, and where it lands.
#include "capture/overview_trace.h"

#include <QTest>

#include <functional>

namespace {

using Capture = CaptureBuffer;

// `pattern` repeated from byte `first` up to and including byte `last`.
Capture captureOf(const QByteArray &pattern, int first, int last = kTransientCaptureBytes)
{
    Capture capture {};
    for (int i = first; i <= last && !pattern.isEmpty(); ++i)
        capture[i] = quint8(pattern.at((i - first) % pattern.size()));
    return capture;
}

QByteArray pair(int marker, int value)
{
    return QByteArray(1, char(marker)) + char(value);
}

// The start point, then (x, y) for every column 1..600 that `draws`.
QList<QPoint> traceOf(const std::function<bool(int x)> &draws, int y)
{
    QList<QPoint> points { QPoint(0, 255) };
    for (int x = 1; x <= 600; ++x)
        if (draws(x))
            points.append(QPoint(x, y));
    return points;
}

} // namespace

class TestOverviewTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachColumnSearchesFromItsOwnByte_data();
    void eachColumnSearchesFromItsOwnByte();
    void theFirstMarkerFoundEndsTheColumn_data();
    void theFirstMarkerFoundEndsTheColumn();
    void wholeCapturesDrawTheColumnsThatLandInPhase_data();
    void wholeCapturesDrawTheColumnsThatLandInPhase();
    void rampValuesLandOnTheirRows();
    void theSearchEndsWithTheLastCaptureByte_data();
    void theSearchEndsWithTheLastCaptureByte();
};

void TestOverviewTrace::eachColumnSearchesFromItsOwnByte_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("start");
    QTest::newRow("1") << 1 << 3;
    QTest::newRow("2 rounds down") << 2 << 6;
    QTest::newRow("3") << 3 << 10;
    QTest::newRow("200") << 200 << 683;
    QTest::newRow("400") << 400 << 1366;
    QTest::newRow("600") << 600 << 2049;
}

void TestOverviewTrace::eachColumnSearchesFromItsOwnByte()
{
    QFETCH(int, x);
    QFETCH(int, start);
    QCOMPARE(overviewColumnStart(x), start);

    // A lone pair at that byte is found by columns 1..x and by no later one.
    Capture capture {};
    capture[start] = 128;
    capture[start + 1] = 50;
    QCOMPARE(overviewTrace(capture), traceOf([x](int column) { return column <= x; }, 205));
}

void TestOverviewTrace::theFirstMarkerFoundEndsTheColumn_data()
{
    // A pair at byte 683 (where column 200 starts), and a (128, 50) pair at byte 701, which
    // columns 201..205 reach first.
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("y"); // -1: the pair is not drawn
    QTest::newRow("+0 on the zero line") << 128 << 0 << 255;
    QTest::newRow("+255 at the top") << 128 << 255 << 0;
    QTest::newRow("+126") << 128 << 126 << 129;
    QTest::newRow("+127 skipped") << 128 << 127 << -1;
    QTest::newRow("+128 skipped") << 128 << 128 << -1;
    QTest::newRow("+129") << 128 << 129 << 126;
    QTest::newRow("-1") << 129 << 255 << 256;
    QTest::newRow("-255") << 129 << 1 << 510;
    QTest::newRow("over-spin at the bottom") << 129 << 0 << 511;
    QTest::newRow("-129 skipped") << 129 << 127 << -1;
    QTest::newRow("-128 skipped") << 129 << 128 << -1;
    QTest::newRow("-127") << 129 << 129 << 382;
}

void TestOverviewTrace::theFirstMarkerFoundEndsTheColumn()
{
    QFETCH(int, marker);
    QFETCH(int, value);
    QFETCH(int, y);
    Capture capture {};
    capture[683] = quint8(marker);
    capture[684] = quint8(value);
    capture[701] = 128;
    capture[702] = 50;

    QList<QPoint> expected = traceOf([y](int x) { return x <= 200 && y >= 0; }, y);
    expected += traceOf([](int x) { return x > 200 && x <= 205; }, 205).mid(1);
    QCOMPARE(overviewTrace(capture), expected);
}

void TestOverviewTrace::wholeCapturesDrawTheColumnsThatLandInPhase_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<int>("first");
    QTest::addColumn<QList<QPoint>>("trace");

    const auto startsOn = [](int parity) {
        return [parity](int x) { return overviewColumnStart(x) % 2 == parity; };
    };
    const auto always = [](int) { return true; };
    QTest::newRow("all zero") << QByteArray(1, 0) << 1 << traceOf([](int) { return false; }, 0);
    QTest::newRow("+0 pairs from byte 1") << pair(128, 0) << 1 << traceOf(always, 255);
    QTest::newRow("+0 pairs from byte 2") << pair(128, 0) << 2 << traceOf(always, 255);
    QTest::newRow("-1 pairs from byte 2") << pair(129, 255) << 2 << traceOf(always, 256);
    // A value byte 129 ahead of the marker 128 is taken as a marker whose value is skipped.
    QTest::newRow("+129 pairs from byte 1") << pair(128, 129) << 1 << traceOf(startsOn(1), 126);
    QTest::newRow("+129 pairs from byte 2") << pair(128, 129) << 2 << traceOf(startsOn(0), 126);
}

void TestOverviewTrace::wholeCapturesDrawTheColumnsThatLandInPhase()
{
    QFETCH(QByteArray, pattern);
    QFETCH(int, first);
    QFETCH(QList<QPoint>, trace);
    QCOMPARE(overviewTrace(captureOf(pattern, first)), trace);
}

void TestOverviewTrace::rampValuesLandOnTheirRows()
{
    // Pair k sits at bytes 2k+1, 2k+2: alternately positive and negative, values 1..120, so no
    // value byte passes for a marker and every column finds the first pair at or after its byte.
    QByteArray ramp;
    for (int k = 0; k < 2050; ++k)
        ramp += pair(k % 2 ? 129 : 128, 1 + k % 120);
    const QList<QPoint> points = overviewTrace(captureOf(ramp, 1));

    QCOMPARE(points.size(), 601);
    for (int x = 1; x <= 600; ++x) {
        const int k = overviewColumnStart(x) / 2;
        const int value = 1 + k % 120;
        QCOMPARE(points.at(x), QPoint(x, k % 2 ? 511 - value : 255 - value));
    }
}

void TestOverviewTrace::theSearchEndsWithTheLastCaptureByte_data()
{
    QTest::addColumn<int>("markerByte");
    QTest::addColumn<bool>("found");
    QTest::newRow("pair 4099, 4100") << 4099 << true;
    QTest::newRow("marker 4100, value 4101") << 4100 << true;
    QTest::newRow("marker 4101") << 4101 << false;
    QTest::newRow("marker 6000") << 6000 << false;
}

void TestOverviewTrace::theSearchEndsWithTheLastCaptureByte()
{
    QFETCH(int, markerByte);
    QFETCH(bool, found);
    Capture capture {};
    capture[markerByte] = 128;
    capture[markerByte + 1] = 50;
    QCOMPARE(overviewTrace(capture), traceOf([found](int) { return found; }, 205));
}

QTEST_APPLESS_MAIN(TestOverviewTrace)
#include "tst_overview_trace.moc"
