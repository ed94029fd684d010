// The deviation bars' gauge: its range, its fill, and repaints held to the frame rate.
#include "ui/vertical_gauge.h"

#include "paint_counter.h"

#include <QTest>

namespace {

VerticalGauge *makeGauge(QWidget *parent)
{
    auto *gauge = new VerticalGauge(parent);
    gauge->setGeometry(0, 0, 25, 169);
    gauge->setMinimum(0);
    gauge->setMaximum(255);
    return gauge;
}

int filledRows(VerticalGauge *gauge)
{
    const QImage shot = gauge->grab().toImage();
    const QRgb fill = gauge->palette().color(QPalette::Highlight).rgb();
    int rows = 0;
    for (int y = 0; y < shot.height(); ++y)
        rows += shot.pixel(shot.width() / 2, y) == fill ? 1 : 0;
    return rows;
}

} // namespace

class TestVerticalGauge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void valuesOutsideTheRangeAreRefused_data();
    void valuesOutsideTheRangeAreRefused();
    void narrowingTheRangeMovesTheValueIn();
    void fillRisesFromTheBottomWithTheValue_data();
    void fillRisesFromTheBottomWithTheValue();
    void aStreamOfValuesIsPaintedOncePerFrame();
};

void TestVerticalGauge::valuesOutsideTheRangeAreRefused_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("kept");
    QTest::newRow("top") << 255 << 255;
    QTest::newRow("bottom") << 0 << 0;
    QTest::newRow("above") << 256 << 7;
    QTest::newRow("far above") << 300 << 7;
    QTest::newRow("below") << -1 << 7;
}

void TestVerticalGauge::valuesOutsideTheRangeAreRefused()
{
    QFETCH(int, value);
    QFETCH(int, kept);
    QWidget window;
    VerticalGauge *gauge = makeGauge(&window);
    gauge->setValue(7);
    gauge->setValue(value);
    QCOMPARE(gauge->value(), kept);
}

void TestVerticalGauge::narrowingTheRangeMovesTheValueIn()
{
    QWidget window;
    VerticalGauge *gauge = makeGauge(&window);
    gauge->setValue(200);
    gauge->setMaximum(100);
    QCOMPARE(gauge->value(), 100);
    gauge->setMinimum(150);
    QCOMPARE(gauge->minimum(), 150);
    QCOMPARE(gauge->maximum(), 150);
    QCOMPARE(gauge->value(), 150);
}

void TestVerticalGauge::fillRisesFromTheBottomWithTheValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("rows"); // of the 167 inside the frame
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one step") << 1 << 0;
    QTest::newRow("half") << 128 << 83;
    QTest::newRow("full") << 255 << 167;
}

void TestVerticalGauge::fillRisesFromTheBottomWithTheValue()
{
    QFETCH(int, value);
    QFETCH(int, rows);
    QWidget window;
    VerticalGauge *gauge = makeGauge(&window);
    gauge->setValue(255);
    gauge->setValue(value);
    QCOMPARE(filledRows(gauge), rows);
    if (rows > 0) {
        const QImage shot = gauge->grab().toImage();
        const QRgb fill = gauge->palette().color(QPalette::Highlight).rgb();
        QCOMPARE(shot.pixel(12, 167), fill); // the lowest row inside the frame
        QCOMPARE(shot.pixel(12, 168 - rows), fill);
    }
}

void TestVerticalGauge::aStreamOfValuesIsPaintedOncePerFrame()
{
    QWidget window;
    window.resize(40, 180);
    VerticalGauge *gauge = makeGauge(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    PaintCounter counter;
    gauge->installEventFilter(&counter);

    gauge->setValue(10);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1); // the first change shows at once
    for (int value = 11; value < 250; ++value) {
        gauge->setValue(value);
        QCoreApplication::processEvents();
    }
    QCOMPARE(gauge->value(), 249);
    QVERIFY(counter.paints <= 2);
    // The values held back are painted together at the end of the frame.
    QTRY_VERIFY(counter.paints >= 2);
    QCOMPARE(filledRows(gauge), 249 * 167 / 255);
}

QTEST_MAIN(TestVerticalGauge)
#include "tst_vertical_gauge.moc"
