// Plot axes: the step and labels chosen for a span and a width, and labels that never read "-0".
#include "ui/plot/plot_ticks.h"

#include <QTest>

class TestPlotTicks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ticksAreReadableMultiplesOfTheStep_data();
    void ticksAreReadableMultiplesOfTheStep();
    void labelsNeverReadMinusZero_data();
    void labelsNeverReadMinusZero();
};

void TestPlotTicks::ticksAreReadableMultiplesOfTheStep_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<int>("pixelsPerLabel");
    QTest::addColumn<double>("step");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("a capture in ms")
        << -22.2 << 333.7 << 1000.0 << 70 << 50.0
        << QStringList { "0", "50", "100", "150", "200", "250", "300" };
    QTest::newRow("two seconds in s") << 0.0 << 2.0 << 1000.0 << 70 << 0.2
                                      << QStringList { "0.0", "0.2", "0.4", "0.6", "0.8", "1.0",
                                             "1.2", "1.4", "1.6", "1.8", "2.0" };
    QTest::newRow("a rough step of exactly 1")
        << 0.0 << 10.0 << 700.0 << 70 << 1.0
        << QStringList { "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10" };
    QTest::newRow("deviation") << -260.0 << 260.0 << 400.0 << 35 << 50.0
                               << QStringList { "-250", "-200", "-150", "-100", "-50", "0", "50",
                                      "100", "150", "200", "250" };
    QTest::newRow("one sample period")
        << 0.0 << 0.1736 << 1000.0 << 70 << 0.02
        << QStringList { "0.00", "0.02", "0.04", "0.06", "0.08", "0.10", "0.12", "0.14", "0.16" };
    QTest::newRow("no span") << 5.0 << 5.0 << 1000.0 << 70 << 1.0 << QStringList { "5" };
}

void TestPlotTicks::ticksAreReadableMultiplesOfTheStep()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, pixels);
    QFETCH(int, pixelsPerLabel);
    QFETCH(double, step);
    QFETCH(QStringList, labels);
    const double chosen = tickStep(max - min, pixels, pixelsPerLabel);
    QCOMPARE(chosen, step);
    QStringList got;
    for (const double value : tickValues(min, max, chosen))
        got << tickLabel(value, chosen);
    QCOMPARE(got, labels);
}

void TestPlotTicks::labelsNeverReadMinusZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("label");
    QTest::newRow("negative zero") << -0.0 << 1.0 << "0";
    QTest::newRow("rounds to zero from below") << -0.00001 << 0.1 << "0.0";
    QTest::newRow("rounding noise") << 0.30000000000000004 << 0.1 << "0.3";
}

void TestPlotTicks::labelsNeverReadMinusZero()
{
    QFETCH(double, value);
    QFETCH(double, step);
    QFETCH(QString, label);
    QCOMPARE(tickLabel(value, step), label);
}

QTEST_APPLESS_MAIN(TestPlotTicks)
#include "tst_plot_ticks.moc"
