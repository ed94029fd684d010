// The plot widget drawn offscreen: a minute on its rows with a lone spike, gaps, the
// view the mouse leaves, the cursor keys, and the exported picture.
#include "ui/plot/plot_widget.h"

#include "analysis/sample_series.h"

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor kTrace(0, 0, 255);

bool isTrace(QRgb pixel)
{
    return qBlue(pixel) > 160 && qRed(pixel) < 140 && qGreen(pixel) < 140;
}

// A 1000 x 420 plot of one series, 0 ms at its first sample, showing count samples.
struct Rig
{
    SampleSeries series;
    PlotWidget plot;

    void show(qint64 count)
    {
        plot.resize(1000, 420);
        plot.addSeries({ &series, 0, kTrace, Qt::SolidLine, 1.5, QStringLiteral("trace") });
        plot.setFullRange(0, double(count - 1) * kTransientSamplePeriodMs);
        plot.resetZoom();
    }
    QImage image()
    {
        QImage image(plot.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        plot.render(&painter, plot.rect());
        return image;
    }
    int x(qint64 index) const
    {
        return int(plot.xOfTime(double(index) * kTransientSamplePeriodMs));
    }
    int y(int steps) const
    {
        const QRectF area = plot.plotArea();
        return int(area.bottom() - (steps + 260) / 520.0 * area.height());
    }
};

bool traceIn(const QImage &image, int x, int fromY, int toY)
{
    for (int y = fromY; y <= toY; ++y) {
        if (isTrace(image.pixel(x, y)))
            return true;
    }
    return false;
}

void send(QWidget *widget, QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers keys,
    QPointF at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, keys);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestPlotWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aMinuteLandsOnItsRowsWithItsOneSampleSpike();
    void samplesWithoutDeviationLeaveAGap_data();
    void samplesWithoutDeviationLeaveAGap();
    void theUserMovesTheViewWithinTheFullRange_data();
    void theUserMovesTheViewWithinTheFullRange();
    void keysStepTheCurrentCursorBySamples();
    void aStillPictureFollowsItsSamples();
    void followingMovesThePictureAsADrawingAnewWould();
    void exportIsWholeOrNothing();
};

void TestPlotWidget::aMinuteLandsOnItsRowsWithItsOneSampleSpike()
{
    Rig rig;
    const qint64 minute = 60ll * kTransientSampleRateHz;
    for (qint64 i = 0; i < minute; ++i)
        rig.series.append(qint16(i == 200000 ? 200 : 0));
    rig.show(minute);
    const QImage image = rig.image();
    QVERIFY(traceIn(image, rig.x(100000), rig.y(0) - 1, rig.y(0) + 1));
    QVERIFY(!traceIn(image, rig.x(100000), rig.y(255), rig.y(3)));
    QVERIFY(traceIn(image, rig.x(200000), rig.y(150), rig.y(150)));
    QVERIFY(!traceIn(image, rig.x(200000) + 5, rig.y(150), rig.y(150)));
}

void TestPlotWidget::samplesWithoutDeviationLeaveAGap_data()
{
    QTest::addColumn<qint16>("code");
    QTest::addColumn<bool>("marked");
    QTest::newRow("missing") << SampleSeries::kMissing << false;
    QTest::newRow("over-spin, marked at the top") << SampleSeries::kOverSpin << true;
}

void TestPlotWidget::samplesWithoutDeviationLeaveAGap()
{
    QFETCH(qint16, code);
    QFETCH(bool, marked);
    Rig rig;
    for (int i = 0; i < 200; ++i)
        rig.series.append(i >= 100 && i < 105 ? code : qint16(100));
    rig.show(200);
    const QImage image = rig.image();
    const int top = int(rig.plot.plotArea().top());
    QVERIFY(traceIn(image, rig.x(90), top, rig.y(-260)));
    QVERIFY(!traceIn(image, rig.x(102), top, rig.y(-260)));
    const QRgb mark = image.pixel(rig.x(102), top + 3);
    QCOMPARE(qRed(mark) > 160 && qGreen(mark) < 100 && qBlue(mark) < 100, marked);
}

void TestPlotWidget::theUserMovesTheViewWithinTheFullRange_data()
{
    // On a full range of 0..1000 ms; "drag left|shift FROM TO" in ms, "wheel AT NOTCHES".
    QTest::addColumn<bool>("leftDragZooms");
    QTest::addColumn<QList<double>>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<double>>("view");
    const QList<double> full { 0, 1000 };
    const QList<double> middle { 400, 600 };
    QTest::newRow("wheel in around the mouse")
        << true << full << "wheel 500 1" << QList<double> { 100, 900 };
    QTest::newRow("wheel out no further than full") << true << middle << "wheel 500 -9" << full;
    QTest::newRow("right click zooms out a step")
        << true << middle << "right" << QList<double> { 300, 700 };
    QTest::newRow("left drag zooms to its band")
        << true << full << "drag left 200 400" << QList<double> { 200, 400 };
    QTest::newRow("shift+left drag pans")
        << true << middle << "drag shift 500 450" << QList<double> { 450, 650 };
    QTest::newRow("live: left drag pans")
        << false << middle << "drag left 500 550" << QList<double> { 350, 550 };
}

void TestPlotWidget::theUserMovesTheViewWithinTheFullRange()
{
    QFETCH(bool, leftDragZooms);
    QFETCH(QList<double>, start);
    QFETCH(QString, action);
    QFETCH(QList<double>, view);
    PlotWidget plot;
    plot.resize(1000, 420);
    plot.setLeftDragZooms(leftDragZooms);
    plot.setFullRange(0, 1000);
    plot.setTimeRange(start[0], start[1]);
    QSignalSpy changed(&plot, &PlotWidget::viewChangedByUser);

    const QStringList words = action.split(QLatin1Char(' '));
    const double y = plot.plotArea().center().y();
    if (words[0] == QLatin1String("wheel")) {
        const QPointF at(plot.xOfTime(words[1].toDouble()), y);
        QWheelEvent wheel(at, plot.mapToGlobal(at), QPoint(), QPoint(0, 120 * words[2].toInt()),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&plot, &wheel);
    } else if (words[0] == QLatin1String("right")) {
        send(&plot, QEvent::MouseButtonPress, Qt::RightButton, {}, plot.plotArea().center());
        send(&plot, QEvent::MouseButtonRelease, Qt::RightButton, {}, plot.plotArea().center());
    } else {
        const Qt::KeyboardModifiers keys
            = words[1] == QLatin1String("shift") ? Qt::ShiftModifier : Qt::NoModifier;
        const QPointF from(plot.xOfTime(words[2].toDouble()), y - 50);
        const QPointF to(plot.xOfTime(words[3].toDouble()), y + 50);
        send(&plot, QEvent::MouseButtonPress, Qt::LeftButton, keys, from);
        send(&plot, QEvent::MouseMove, Qt::LeftButton, keys, to);
        send(&plot, QEvent::MouseButtonRelease, Qt::LeftButton, keys, to);
    }
    QVERIFY2(qAbs(plot.timeMin() - view[0]) < 1e-6 && qAbs(plot.timeMax() - view[1]) < 1e-6,
        qPrintable(QStringLiteral("%1 .. %2").arg(plot.timeMin()).arg(plot.timeMax())));
    QCOMPARE(changed.isEmpty(), view == start);
}

void TestPlotWidget::keysStepTheCurrentCursorBySamples()
{
    PlotWidget plot;
    for (const PlotWidget::Cursor c : { PlotWidget::Cursor::A, PlotWidget::Cursor::B }) {
        plot.setCursorVisible(c, true);
        plot.setCursorTime(c, 10 * kTransientSamplePeriodMs);
    }
    QSignalSpy moved(&plot, &PlotWidget::cursorMoved);
    QTest::keyClick(&plot, Qt::Key_B);
    QTest::keyClick(&plot, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&plot, Qt::Key_Tab);
    QTest::keyClick(&plot, Qt::Key_Left);
    QCOMPARE(moved.size(), 2);
    QCOMPARE(moved[0][0].value<PlotWidget::Cursor>(), PlotWidget::Cursor::B);
    QCOMPARE(moved[0][1].toDouble(), 20 * kTransientSamplePeriodMs);
    QCOMPARE(moved[1][0].value<PlotWidget::Cursor>(), PlotWidget::Cursor::A);
    QCOMPARE(moved[1][1].toDouble(), 9 * kTransientSamplePeriodMs);
}

// On screen a view that stands still keeps its picture; samples added, or a series emptied and
// filled again to the same length, must still show.
void TestPlotWidget::aStillPictureFollowsItsSamples()
{
    Rig rig;
    for (int i = 0; i < 200; ++i)
        rig.series.append(qint16(100));
    rig.show(400);
    const auto onScreen = [&rig] { return rig.plot.grab().toImage(); };
    QVERIFY(!traceIn(onScreen(), rig.x(300), rig.y(-90), rig.y(-110)));

    for (int i = 0; i < 200; ++i)
        rig.series.append(qint16(-100));
    QVERIFY(traceIn(onScreen(), rig.x(300), rig.y(-90), rig.y(-110)));

    rig.series.clear();
    for (int i = 0; i < 400; ++i)
        rig.series.append(qint16(50));
    const QImage refilled = onScreen();
    QVERIFY(traceIn(refilled, rig.x(100), rig.y(55), rig.y(45)));
    QVERIFY(!traceIn(refilled, rig.x(100), rig.y(110), rig.y(90)));
}

// Following a stream moves what is on screen by whole pixels and draws only the strip the samples
// came into: the window must show what drawing the view anew shows, but for a column either way.
void TestPlotWidget::followingMovesThePictureAsADrawingAnewWould()
{
    Rig rig;
    const auto code = [](qint64 i) { return qint16(i % 997 == 0 ? 200 : (i / 50) % 7 * 10); };
    qint64 end = 0;
    const auto feed = [&](qint64 count) {
        for (; count > 0; --count, ++end)
            rig.series.append(code(end));
    };
    feed(3000);
    rig.show(3000);
    rig.plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.plot));
    const double span = rig.plot.timeMax() - rig.plot.timeMin();
    for (int frame = 0; frame < 40; ++frame) {
        feed(frame % 3 == 0 ? 5 : 61); // a fraction of a pixel, or several
        const double newest = double(end - 1) * kTransientSamplePeriodMs;
        rig.plot.followTimeTo(newest - span, newest);
        QCoreApplication::processEvents();
    }
    // Up to a pixel short of the newest sample.
    const double behind = double(end - 1) * kTransientSamplePeriodMs - rig.plot.timeMax();
    QVERIFY(behind >= 0 && behind < span / rig.plot.plotArea().width());
    const QImage shown = rig.plot.screen()
                             ->grabWindow(rig.plot.winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage anew = rig.image();
    QCOMPARE(shown.size(), anew.size());
    // A column may differ where a sample lies on a column's edge, and smoothing with it.
    const auto traceNear = [](const QImage &image, int x, int y) {
        return isTrace(image.pixel(x - 1, y)) || isTrace(image.pixel(x, y))
            || isTrace(image.pixel(x + 1, y));
    };
    int unmatched = 0;
    for (int y = 0; y < anew.height(); ++y) {
        for (int x = 1; x + 1 < anew.width(); ++x) {
            const bool traced = isTrace(anew.pixel(x, y)) || isTrace(shown.pixel(x, y));
            const bool near = traceNear(anew, x, y) || traceNear(shown, x, y);
            if (traced ? !(traceNear(anew, x, y) && traceNear(shown, x, y))
                       : !near && shown.pixel(x, y) != anew.pixel(x, y))
                ++unmatched;
        }
    }
    QCOMPARE(unmatched, 0);
}

void TestPlotWidget::exportIsWholeOrNothing()
{
    QTemporaryDir folder;
    PlotWidget plot;
    plot.resize(640, 300);
    QString error;
    const QString nowhere = folder.filePath(QStringLiteral("missing/chart.png"));
    QVERIFY(!plot.exportPng(nowhere, &error));
    QVERIFY(error.contains(nowhere));
    QVERIFY(QDir(folder.path()).isEmpty());

    const QString path = folder.filePath(QStringLiteral("chart.png"));
    QVERIFY2(plot.exportPng(path, &error), qPrintable(error));
    QCOMPARE(
        QDir(folder.path()).entryList(QDir::Files), QStringList { QStringLiteral("chart.png") });
    QCOMPARE(QImage(path).size(), plot.size() * plot.devicePixelRatio());
}

QTEST_MAIN(TestPlotWidget)
#include "tst_plot_widget.moc"
