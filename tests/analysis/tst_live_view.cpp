// What the live chart shows: the newest span while live, a view that stays while paused and
// recording goes on, moving and changing the span, and a history that drops a paused view.
#include "analysis/live_view.h"

#include "capture/transient_samples.h"

#include <QTest>

namespace {

constexpr qint64 kSecond = kTransientSampleRateHz;

struct Step
{
    enum Kind { Update, Pause, Live, Move, Span } kind;
    double a = 0;
    double b = 0;
};

Step update(qint64 begin, qint64 end)
{
    return { Step::Update, double(begin), double(end) };
}

double ms(qint64 index)
{
    return double(index) * kTransientSamplePeriodMs;
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestLiveView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachStepLeavesTheViewWhereItShould_data();
    void eachStepLeavesTheViewWhereItShould();
};

void TestLiveView::eachStepLeavesTheViewWhereItShould_data()
{
    QTest::addColumn<QList<Step>>("steps"); // from a 2 s span, live, nothing recorded
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<bool>("live");
    QTest::addColumn<qint64>("first"); // samples in view
    QTest::addColumn<qint64>("last");

    QTest::newRow("live ends on the newest sample")
        << QList<Step> { update(0, 10 * kSecond) } << ms(10 * kSecond - 1) - 2000
        << ms(10 * kSecond - 1) << true << 8 * kSecond - 1 << 10 * kSecond;
    QTest::newRow("live before a span is recorded")
        << QList<Step> { update(0, 100) } << ms(99) - 2000 << ms(99) << true << 0ll << 100ll;
    QTest::newRow("paused, recording goes on")
        << QList<Step> { update(0, 10 * kSecond), { Step::Pause }, update(0, 20 * kSecond) }
        << ms(10 * kSecond - 1) - 2000 << ms(10 * kSecond - 1) << false << 8 * kSecond - 1
        << 10 * kSecond;
    QTest::newRow("back to live") << QList<Step> { update(0, 10 * kSecond), { Step::Pause },
        update(0, 20 * kSecond), { Step::Live } }
                                  << ms(20 * kSecond - 1) - 2000 << ms(20 * kSecond - 1) << true
                                  << 18 * kSecond - 1 << 20 * kSecond;
    QTest::newRow("moved by the user") << QList<Step> { update(0, 10 * kSecond),
        { Step::Move, 500, 1500 }, update(0, 11 * kSecond) }
                                       << 500.0 << 1500.0 << false << 2880ll << 8641ll;
    QTest::newRow("a longer span while paused keeps the right edge")
        << QList<Step> { update(0, 10 * kSecond), { Step::Move, 5000, 6000 }, { Step::Span, 5000 } }
        << 1000.0 << 6000.0 << false << 5760ll << 34561ll;
    QTest::newRow("no further back than the oldest sample kept")
        << QList<Step> { update(0, 10 * kSecond), { Step::Move, 500, 1500 }, { Step::Span, 5000 } }
        << 0.0 << 5000.0 << false << 0ll << 28801ll;
    QTest::newRow("the history dropped what a paused view showed") << QList<Step> {
        update(0, 10 * kSecond), { Step::Move, 500, 1500 }, update(6 * kSecond, 16 * kSecond)
    } << 6000.0 << 7000.0 << false << 6 * kSecond << 7 * kSecond + 1;
}

void TestLiveView::eachStepLeavesTheViewWhereItShould()
{
    QFETCH(QList<Step>, steps);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(bool, live);
    QFETCH(qint64, first);
    QFETCH(qint64, last);

    LiveView view(2000);
    for (const Step &step : std::as_const(steps)) {
        switch (step.kind) {
        case Step::Update:
            view.update(qint64(step.a), qint64(step.b));
            break;
        case Step::Pause:
            view.pause();
            break;
        case Step::Live:
            view.goLive();
            break;
        case Step::Move:
            view.moveTo({ step.a, step.b });
            break;
        case Step::Span:
            view.setSpanMs(step.a);
            break;
        }
    }
    QCOMPARE(view.view().min, min);
    QCOMPARE(view.view().max, max);
    QCOMPARE(view.isLive(), live);
    QCOMPARE(view.samples(), std::make_pair(first, last));
    QVERIFY(view.full().min <= view.view().min && view.full().max >= view.view().max);
}

QTEST_APPLESS_MAIN(TestLiveView)
#include "tst_live_view.moc"
