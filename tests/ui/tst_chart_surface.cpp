// The chart's drawing surface: persistent lines in the program's colours, clearing back to the
// background picture, replacing that picture, clipping.
#include "ui/chart_surface.h"

#include <QApplication>
#include <QTest>

class TestChartSurface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linesTakeTheirColourFromBlueGreenRed_data();
    void linesTakeTheirColourFromBlueGreenRed();
    void lineWidthDecidesTheRowsCovered_data();
    void lineWidthDecidesTheRowsCovered();
    void linesChainFromTheCurrentPoint();
    void zeroLengthLineOnlyMovesTheCurrentPoint();
    void clearingBringsBackTheBackgroundAndKeepsTheWidth();
    void loadedPictureBecomesTheBackground();
    void linesAreClippedToTheArea();
    void startsOnTheChartArtwork();
    void paintsTheImageInsideAOnePixelBorder();
};

namespace {
const QPoint kOrigin(0, 0);

QImage blankPicture(QColor colour = Qt::white)
{
    QImage picture(ChartSurface::kWidth, ChartSurface::kHeight, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// The rows of column x that differ from the background picture.
QList<int> inkedRows(const ChartSurface &chart, int x)
{
    QList<int> rows;
    for (int y = 0; y < ChartSurface::kHeight; ++y)
        if (chart.image().pixel(x, y) != chart.picture().pixel(x, y))
            rows.append(y);
    return rows;
}
} // namespace

void TestChartSurface::linesTakeTheirColourFromBlueGreenRed_data()
{
    QTest::addColumn<quint32>("bgr");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("black") << 0x000000u << QColor(0, 0, 0);
    QTest::newRow("red") << 0x0000FFu << QColor(255, 0, 0);
    QTest::newRow("green lamp") << 0x00C000u << QColor(0, 192, 0);
    QTest::newRow("cyan") << 0xFFFF00u << QColor(0, 255, 255);
    QTest::newRow("magenta") << 0xFF00FFu << QColor(255, 0, 255);
    QTest::newRow("yellow") << 0x00FFFFu << QColor(255, 255, 0);
    QTest::newRow("mixed") << 0x123456u << QColor(0x56, 0x34, 0x12);
}

void TestChartSurface::linesTakeTheirColourFromBlueGreenRed()
{
    QFETCH(quint32, bgr);
    QFETCH(QColor, colour);
    ChartSurface chart;
    chart.setPicture(blankPicture(QColor(1, 2, 3)));
    chart.Line(QPoint(10, 100), QPoint(200, 100), bgr);
    QCOMPARE(chart.image().pixelColor(100, 100), colour);
}

void TestChartSurface::lineWidthDecidesTheRowsCovered_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rows");
    QTest::newRow("1 pixel") << 1 << 1;
    QTest::newRow("2 pixels") << 2 << 2;
    QTest::newRow("3 pixels") << 3 << 3;
}

void TestChartSurface::lineWidthDecidesTheRowsCovered()
{
    QFETCH(int, width);
    QFETCH(int, rows);
    ChartSurface chart;
    chart.setPicture(blankPicture());
    chart.setDrawWidth(width);
    QCOMPARE(chart.DrawWidth(), width);
    chart.Line(QPoint(0, 255), QPoint(600, 255), 0);
    for (int x : { 0, 300, 599 }) {
        const QList<int> covered = inkedRows(chart, x);
        QCOMPARE(covered.size(), rows);
        QVERIFY2(covered.contains(255), qPrintable(QString::number(x)));
        QCOMPARE(covered.last() - covered.first() + 1, rows); // one band, no gaps
    }
}

void TestChartSurface::linesChainFromTheCurrentPoint()
{
    ChartSurface chart;
    chart.setPicture(blankPicture());
    chart.setDrawWidth(1);
    chart.Line(QPoint(10, 50), QPoint(100, 50), 0x0000FF);
    QCOMPARE(chart.currentPoint(), QPoint(100, 50));
    chart.LineTo(QPoint(100, 150), 0xFF0000);
    QCOMPARE(chart.currentPoint(), QPoint(100, 150));
    QCOMPARE(chart.image().pixelColor(55, 50), QColor(255, 0, 0));
    QCOMPARE(chart.image().pixelColor(100, 120), QColor(0, 0, 255));
    QCOMPARE(chart.image().pixelColor(55, 120), QColor(Qt::white));
}

void TestChartSurface::zeroLengthLineOnlyMovesTheCurrentPoint()
{
    ChartSurface chart;
    chart.setPicture(blankPicture());
    chart.setDrawWidth(2);
    chart.Line(QPoint(0, 255), QPoint(0, 255), 0);
    QCOMPARE(chart.image(), chart.picture());
    QCOMPARE(chart.currentPoint(), QPoint(0, 255));
}

void TestChartSurface::clearingBringsBackTheBackgroundAndKeepsTheWidth()
{
    ChartSurface chart;
    const QImage background = chart.picture();
    chart.setDrawWidth(2);
    chart.Line(QPoint(0, 0), QPoint(599, 509), 0xFF00FF);
    QVERIFY(chart.image() != background);
    chart.Cls();
    QCOMPARE(chart.image(), background);
    QCOMPARE(chart.picture(), background);
    QCOMPARE(chart.currentPoint(), kOrigin);
    QCOMPARE(chart.DrawWidth(), 2);
}

void TestChartSurface::loadedPictureBecomesTheBackground()
{
    ChartSurface chart;
    chart.Line(QPoint(0, 300), QPoint(599, 300), 0);
    QImage small(100, 50, QImage::Format_RGB32);
    small.fill(Qt::red);
    chart.setPicture(small);

    QCOMPARE(chart.picture().size(), QSize(600, 510));
    QCOMPARE(chart.picture().pixelColor(99, 49), QColor(Qt::red));
    const QColor window = chart.palette().color(QPalette::Window);
    QCOMPARE(chart.picture().pixelColor(100, 49), window);
    QCOMPARE(chart.picture().pixelColor(300, 300), window);
    QCOMPARE(chart.image(), chart.picture()); // the old lines are gone with the old picture

    chart.Line(QPoint(0, 10), QPoint(599, 10), 0xFFFF00);
    chart.Cls();
    QCOMPARE(chart.image().pixelColor(50, 10), QColor(Qt::red));

    QImage large(800, 700, QImage::Format_RGB32);
    large.fill(Qt::blue);
    chart.setPicture(large);
    QCOMPARE(chart.picture().size(), QSize(600, 510));
    QCOMPARE(chart.picture().pixelColor(599, 509), QColor(Qt::blue));
}

void TestChartSurface::linesAreClippedToTheArea()
{
    ChartSurface chart;
    chart.setPicture(blankPicture());
    chart.setDrawWidth(1);
    chart.Line(QPoint(-100, -100), QPoint(1000, 1000), 0);
    QCOMPARE(chart.image().size(), QSize(600, 510));
    QCOMPARE(chart.image().pixelColor(300, 300), QColor(Qt::black));
    QCOMPARE(chart.currentPoint(), QPoint(1000, 1000));

    // The over-spin row 511 lies just below the area.
    chart.Cls();
    chart.Line(QPoint(0, 511), QPoint(600, 511), 0);
    QCOMPARE(chart.image(), chart.picture());
}

void TestChartSurface::startsOnTheChartArtwork()
{
    ChartSurface chart;
    const QImage &art = chart.picture();
    QCOMPARE(art.size(), QSize(600, 510));
    QCOMPARE(chart.image(), art);
    // Green on the left turning olive on the right, a white zero line on row 255.
    const QColor left = art.pixelColor(100, 200);
    const QColor right = art.pixelColor(550, 200);
    QVERIFY(left.green() > 100 && left.red() < 60);
    QVERIFY(right.red() > 90 && right.green() > 90 && right.blue() < 60);
    for (int x : { 100, 300, 500 }) {
        QVERIFY(art.pixelColor(x, 255).lightness() > 180);
        QVERIFY(art.pixelColor(x, 250).lightness() < 130);
    }
}

void TestChartSurface::paintsTheImageInsideAOnePixelBorder()
{
    ChartSurface chart;
    QCOMPARE(chart.sizeHint(), QSize(602, 512));
    chart.resize(chart.sizeHint());
    chart.setPicture(blankPicture());
    chart.setDrawWidth(1);
    chart.Line(QPoint(0, 0), QPoint(599, 0), 0x0000FF);
    chart.Line(QPoint(599, 509), QPoint(0, 509), 0xFF0000);
    const QImage shot = chart.grab().toImage();
    QCOMPARE(shot.pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(600, 1), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(300, 510), QColor(Qt::blue));
    const QColor border = shot.pixelColor(0, 0);
    QVERIFY(border != QColor(Qt::red) && border != QColor(Qt::white));
    QCOMPARE(shot.pixelColor(601, 511), border);
}

QTEST_MAIN(TestChartSurface)
#include "tst_chart_surface.moc"
