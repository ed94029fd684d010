// The live display's shared frame clock: widgets on one clock paint in the same window update,
// and no held paint is lost when a widget leaves its clock.
#include "ui/frame_clock.h"
#include "ui/readout_label.h"
#include "ui/vertical_gauge.h"

#include "paint_counter.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// A read-out and two gauges side by side, shown, all on one clock.
struct LiveDisplay
{
    QWidget window;
    ReadoutLabel *label = new ReadoutLabel(&window);
    VerticalGauge *gauge = new VerticalGauge(&window);
    VerticalGauge *other = new VerticalGauge(&window);
    std::unique_ptr<FrameClock> clock = std::make_unique<FrameClock>();

    LiveDisplay()
    {
        window.resize(170, 180);
        label->setGeometry(70, 0, 93, 33);
        label->setFixedSize(93, 33);
        label->setFrameClock(clock.get());
        for (VerticalGauge *bar : { gauge, other }) {
            bar->setGeometry(bar == gauge ? 0 : 30, 0, 25, 169);
            bar->setMaximum(255);
            bar->setFrameClock(clock.get());
        }
        window.show();
    }
};

} // namespace

class TestFrameClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void widgetsOnOneClockPaintInOneWindowUpdate();
    void aHeldPaintOutlivesTheClock_data();
    void aHeldPaintOutlivesTheClock();
};

void TestFrameClock::widgetsOnOneClockPaintInOneWindowUpdate()
{
    LiveDisplay live;
    QVERIFY(QTest::qWaitForWindowExposed(&live.window));
    QCoreApplication::processEvents();
    UpdateWatch watch(&live.window, { live.label, live.gauge, live.other });
    // A long frame, so that a loaded machine cannot end it between the steps below.
    live.clock->setFrameInterval(500);
    QSignalSpy frames(live.clock.get(), &FrameClock::frameStarted);

    // A quiet clock: everything changed before the event loop runs again is painted at once.
    live.gauge->setValue(100);
    live.label->setCaption(QStringLiteral("+ 100"));
    QCoreApplication::processEvents();
    QCOMPARE(watch.paintingUpdates, 1);
    QCOMPARE(watch.lastPaintedIn.value(live.label), watch.lastPaintedIn.value(live.gauge));

    // Later in the frame, the first change of another widget and a new caption: both held, then
    // painted together when the frame ends.
    live.other->setValue(7);
    QCoreApplication::processEvents();
    live.label->setCaption(QStringLiteral("- 7"));
    QCoreApplication::processEvents();
    QCOMPARE(watch.paintingUpdates, 1);
    QTRY_COMPARE(watch.paintingUpdates, 2);
    QCOMPARE(watch.lastPaintedIn.value(live.label), watch.lastPaintedIn.value(live.other));
    QCOMPARE(frames.size(), 2);
}

void TestFrameClock::aHeldPaintOutlivesTheClock_data()
{
    QTest::addColumn<bool>("clockDestroyed"); // or the label moved to another clock
    QTest::newRow("label moved to another clock") << false;
    QTest::newRow("clock destroyed") << true;
}

void TestFrameClock::aHeldPaintOutlivesTheClock()
{
    QFETCH(bool, clockDestroyed);
    LiveDisplay live;
    QVERIFY(QTest::qWaitForWindowExposed(&live.window));
    QCoreApplication::processEvents();
    PaintCounter counter;
    live.label->installEventFilter(&counter);

    live.gauge->setValue(50); // opens a frame
    QCoreApplication::processEvents();
    live.label->setCaption(QStringLiteral("- 88")); // held
    FrameClock other;
    if (clockDestroyed)
        live.clock.reset();
    else
        live.label->setFrameClock(&other);
    QTRY_COMPARE(counter.paints, 1);

    // And it goes on painting on the clock it has now.
    live.label->setCaption(QStringLiteral("+ 3"));
    QCoreApplication::processEvents();
    live.label->setCaption(QStringLiteral("+ 4"));
    QTRY_COMPARE(counter.paints, 3);
    QCOMPARE(live.label->text(), QStringLiteral("+ 4"));
}

QTEST_MAIN(TestFrameClock)
#include "tst_frame_clock.moc"
