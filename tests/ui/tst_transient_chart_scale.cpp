// Where the analysis chart puts captures: each from its own trigger, one scale for all of them.
#include "transient_sample_text.h"
#include "ui/transient_chart_scale.h"

#include <QTest>

class TestTransientChartScale : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scaleCoversEveryCaptureFromItsTrigger_data();
    void scaleCoversEveryCaptureFromItsTrigger();
};

void TestTransientChartScale::scaleCoversEveryCaptureFromItsTrigger_data()
{
    QTest::addColumn<QStringList>("captures");
    QTest::addColumn<int>("firstSamples"); // from the trigger, in sample periods
    QTest::addColumn<int>("lastSamples");
    QTest::newRow("trigger at sample 2 of 4") << QStringList { "0 0 30 0" } << -2 << 1;
    QTest::newRow("no trigger: from the first") << QStringList { "0 5 0" } << 0 << 2;
    QTest::newRow("one before, one after")
        << QStringList { "0 0 0 0 30 0", "30 0 0 0 0 0 0 0" } << -4 << 7;
    QTest::newRow("one sample is one period wide") << QStringList { "40" } << 0 << 1;
}

void TestTransientChartScale::scaleCoversEveryCaptureFromItsTrigger()
{
    QFETCH(QStringList, captures);
    QFETCH(int, firstSamples);
    QFETCH(int, lastSamples);
    QList<QList<TransientSample>> samples;
    for (const QString &text : captures)
        samples.append(samplesOf(text));
    const TransientChartScale scale = transientChartScale(samples);
    QCOMPARE(scale.minMs, firstSamples * 1000.0 / 5760);
    QCOMPARE(scale.maxMs, lastSamples * 1000.0 / 5760);
}

QTEST_APPLESS_MAIN(TestTransientChartScale)
#include "tst_transient_chart_scale.moc"
