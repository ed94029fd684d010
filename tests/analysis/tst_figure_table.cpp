// The table of figures: what each figure shows in the window and carries in the files, rounded
// once, and the exact arithmetic the comparisons of figures rest on.
#include "analysis/figure_table.h"
#include "transient_sample_text.h"

#include <QSet>
#include <QTest>

class TestFigureTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyFigureHasOneKeyACaptionAndADefinition();
    void numbersRoundHalfAwayFromZero();
    void eachFigureShowsAsText_data();
    void eachFigureShowsAsText();
    void filesCarryTheRoundedNumbersOnly();
    void differencesOfExactFiguresStayExact();
    void aCaptureIsComparedWithAReference_data();
    void aCaptureIsComparedWithAReference();
};

void TestFigureTable::everyFigureHasOneKeyACaptionAndADefinition()
{
    QSet<QString> keys;
    for (const FigureColumn &column : figureColumns()) {
        QVERIFY2(!keys.contains(QLatin1String(column.key)), column.key);
        keys.insert(QLatin1String(column.key));
        QCOMPARE(column.caption != nullptr, column.figure != nullptr);
        QCOMPARE(column.definition != nullptr, column.figure != nullptr);
    }
    // The first row starts a figure, so every column belongs to one.
    QVERIFY(figureColumns().constFirst().figure);
}

void TestFigureTable::numbersRoundHalfAwayFromZero()
{
    QCOMPARE(timeMsText(9), "1.563"); // 1.5625 ms
    QCOMPARE(timeMsText(-9), "-1.563");
    QCOMPARE(decimalText(100, 16, 1), "6.3");
    QCOMPARE(decimalText(6.25, 1), "6.3");
    QCOMPARE(decimalText(-1, 10000, 3), "0.000");
    QCOMPARE(decimalText(-0.0001, 3), "0.000");
    // 0.15 has no exact double: as a ratio it still rounds up.
    QCOMPARE(FigureNumber::ratio(3, 20).text(1), "0.2");
}

void TestFigureTable::eachFigureShowsAsText_data()
{
    QTest::addColumn<QString>("samples");
    // trigger, peak, peakTime, overshoot, settle, ring, damping, mean, rms, overSpin, samples
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("over-spin and missing")
        << "o m 3 o -25 m 40 m -30 12 m -2 4"
        << QStringList { "sample 4, -25 steps", "+40 steps", "0.347 ms",
               "-30 steps (75.0 %) at 0.694 ms", "1.215 ms", "—", "—", "0.29 steps", "21.71 steps",
               "2", "7 valid, 4 missing" };
    QTest::newRow("never settles")
        << "0 0 5 50 50 50 50"
        << QStringList { "sample 3, +50 steps", "+50 steps", "0.000 ms", "—", "not settled", "—",
               "—", "29.29 steps", "37.84 steps", "0", "7 valid, 0 missing" };
    QTest::newRow("nothing valid")
        << "m o m"
        << QStringList { "—", "—", "—", "—", "—", "—", "—", "—", "—", "1", "0 valid, 2 missing" };
}

void TestFigureTable::eachFigureShowsAsText()
{
    QFETCH(QString, samples);
    QFETCH(QStringList, texts);
    const TransientFigures figures = transientFigures(samplesOf(samples));
    QStringList shown;
    for (const FigureColumn *figure : figureRows())
        shown << figureDisplayText(*figure, figures);
    QCOMPARE(shown, texts);
}

void TestFigureTable::filesCarryTheRoundedNumbersOnly()
{
    const TransientFigures figures = transientFigures(samplesOf("0 0 5 50 50 50 50"));
    QStringList numbers, cells;
    for (const FigureColumn &column : figureColumns()) {
        numbers << figureNumberText(column, figures);
        if (column.header)
            cells << figureCellText(column, figures);
    }
    // No unit, no sign, an empty field for none; the table says "not settled" where it is.
    QCOMPARE(numbers.join(QLatin1Char(',')), "3,50,0.000,,,,,,29.29,37.84,0,7,0");
    QCOMPARE(cells.join(QLatin1Char(',')), "50,0.000,—,—,not settled,—,—,29.29,37.84,0");
}

void TestFigureTable::differencesOfExactFiguresStayExact()
{
    const FigureNumber before = FigureNumber::ratio(166, 1);
    const FigureNumber after = FigureNumber::ratio(154, 1);
    QCOMPARE(after.minus(before).text(0), "-12");
    QCOMPARE(after.minus(before).percentOf(before)->text(1), "-7.2");
    // 1.2345 ms - 1 ms on a half at three decimals: exact, so away from zero.
    QCOMPARE(FigureNumber::ratio(12345, 10000).minus(FigureNumber::whole(1)).text(3), "0.235");
    QVERIFY(!FigureNumber::whole(3).percentOf(FigureNumber::whole(0)));
    QCOMPARE(FigureNumber::real(0.125).minus(FigureNumber::real(0.1)).text(3), "0.025");
}

void TestFigureTable::aCaptureIsComparedWithAReference_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QStringList>("changes"); // peak, overshoot, settle, ring, damping, mean
    QTest::newRow("after against before")
        << "0 30 154 -30 8 -4 0 0"
        << "0 30 166 -40 12 -5 0 0"
        << QStringList { "-12 steps (-7.2 %)", "-10 steps (-25.0 %)", "-0.174 ms (-25.0 %)", "—",
               "—", "-0.63 steps" };
    // The sizes are compared: a stop's peak against a start's.
    QTest::newRow("the other direction") << "0 -30 -180 40 -8 0"
                                         << "0 30 166 -40 12 -5 0 0"
                                         << QStringList { "+14 steps (+8.4 %)", "0 steps (0.0 %)",
                                                "-0.174 ms (-25.0 %)", "—", "—", "-50.04 steps" };
    QTest::newRow("itself") << "0 30 166 -40 12 -5 0 0"
                            << "0 30 166 -40 12 -5 0 0"
                            << QStringList { "0 steps (0.0 %)", "0 steps (0.0 %)",
                                   "0.000 ms (0.0 %)", "—", "—", "0.00 steps" };
}

void TestFigureTable::aCaptureIsComparedWithAReference()
{
    QFETCH(QString, shown);
    QFETCH(QString, reference);
    QFETCH(QStringList, changes);
    const TransientFigures after = transientFigures(samplesOf(shown));
    const TransientFigures before = transientFigures(samplesOf(reference));
    QStringList got;
    for (const char *key :
        { "peak_steps", "overshoot_steps", "settle_ms", "ring_hz", "damping", "mean_steps" }) {
        for (const FigureColumn &column : figureColumns()) {
            if (qstrcmp(column.key, key) == 0)
                got << figureChangeText(column, after, before);
        }
    }
    QCOMPARE(got, changes);
}

QTEST_APPLESS_MAIN(TestFigureTable)
#include "tst_figure_table.moc"
