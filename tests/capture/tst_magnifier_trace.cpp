// The magnified view: one byte per column from the scroll offset on, two columns per pair once
// the stepping has found the pairs' phase.
#include "capture/magnifier_trace.h"

#include <QTest>

namespace {

using Capture = CaptureBuffer;

// The start point, then (x, y) for x = first, first + 2, ... up to last.
QList<QPoint> everyOtherColumn(int first, int last, int y)
{
    QList<QPoint> points { QPoint(0, 255) };
    for (int x = first; x <= last; x += 2)
        points.append(QPoint(x, y));
    return points;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

} // namespace

class TestMagnifierTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theSteppingFindsThePairsPhase_data();
    void theSteppingFindsThePairsPhase();
    void theWindowCoversBytesOffsetPlusOneTo601_data();
    void theWindowCoversBytesOffsetPlusOneTo601();
};

void TestMagnifierTrace::theSteppingFindsThePairsPhase_data()
{
    // `head` is placed at byte offset + 1, then `pairs` repeats to the end of the buffer.
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("pairs");
    QTest::addColumn<QList<QPoint>>("trace");

    QTest::newRow("all zero") << 0 << QByteArray() << bytes({ 0 }) << everyOtherColumn(1, 0, 0);
    QTest::newRow("+0 in phase") << 0 << QByteArray() << bytes({ 128, 0 })
                                 << everyOtherColumn(1, 599, 255);
    QTest::newRow("+127 is drawn")
        << 1000 << QByteArray() << bytes({ 128, 127 }) << everyOtherColumn(1, 599, 128);
    QTest::newRow("+128 is drawn")
        << 1000 << QByteArray() << bytes({ 128, 128 }) << everyOtherColumn(1, 599, 127);
    QTest::newRow("-128 is drawn")
        << 1000 << QByteArray() << bytes({ 129, 128 }) << everyOtherColumn(1, 599, 383);
    QTest::newRow("over-spin") << 7 << QByteArray() << bytes({ 129, 0 })
                               << everyOtherColumn(1, 599, 511);
    // Column 1 is no marker, so columns 2 and 3 (the pair 128, 5) are stepped over.
    QTest::newRow("0 128 5 128 7")
        << 333 << bytes({ 0, 128, 5 }) << bytes({ 128, 7 }) << everyOtherColumn(4, 600, 248);
    QTest::newRow("-1 out of phase")
        << 2100 << bytes({ 40 }) << bytes({ 129, 255 }) << everyOtherColumn(4, 600, 256);
    // A value byte 129 in front passes for a marker, and the stepping keeps that wrong phase.
    QTest::newRow("value 129 holds the wrong phase")
        << 10 << bytes({ 129 }) << bytes({ 128, 129 }) << everyOtherColumn(1, 599, 383);
}

void TestMagnifierTrace::theSteppingFindsThePairsPhase()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, pairs);
    QFETCH(QList<QPoint>, trace);

    Capture capture {};
    const int pairsFrom = offset + 1 + int(head.size());
    for (int i = offset + 1; i < int(capture.size()); ++i) {
        capture[i] = quint8(
            i < pairsFrom ? head.at(i - offset - 1) : pairs.at((i - pairsFrom) % pairs.size()));
    }
    QCOMPARE(magnifierTrace(capture, offset), trace);
}

void TestMagnifierTrace::theWindowCoversBytesOffsetPlusOneTo601_data()
{
    // (128, 0) pairs with their markers on even bytes, except one value byte of 200 (y = 55).
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("valueByte");
    QTest::addColumn<int>("column"); // where y = 55 shows, 0 for nowhere
    QTest::newRow("first column drawn") << 0 << 5 << 4;
    QTest::newRow("last column reads byte 2701") << 2100 << 2701 << 600;
    QTest::newRow("byte 2703 is past the window") << 2100 << 2703 << 0;
    QTest::newRow("offset -5 clamps to 0") << -5 << 601 << 600;
    QTest::newRow("offset 5000 clamps to 2100") << 5000 << 2701 << 600;
    QTest::newRow("offset 5000 reads nothing near it") << 5000 << 5601 << 0;
}

void TestMagnifierTrace::theWindowCoversBytesOffsetPlusOneTo601()
{
    QFETCH(int, offset);
    QFETCH(int, valueByte);
    QFETCH(int, column);

    Capture capture {};
    for (int i = 2; i < int(capture.size()); i += 2)
        capture[i] = 128;
    capture[valueByte] = 200;

    QList<QPoint> trace = everyOtherColumn(4, 600, 255);
    if (column)
        trace[(column - 2) / 2] = QPoint(column, 55);
    QCOMPARE(magnifierTrace(capture, offset), trace);
}

QTEST_APPLESS_MAIN(TestMagnifierTrace)
#include "tst_magnifier_trace.moc"
