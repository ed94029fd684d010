// What the analysis window keeps without a window: this run's captures newest first and capped,
// and the references with their slots.
#include "analysis/transient_history.h"
#include "analysis/transient_references.h"
#include "transient_sample_text.h"

#include <QTest>

namespace {

// A capture told apart by its time.
TransientCapture numbered(int n)
{
    TransientCapture capture;
    capture.capturedAt = QDateTime::fromMSecsSinceEpoch(n);
    capture.port = 1;
    capture.samples = samplesOf(QStringLiteral("0 30 -5"));
    return capture;
}

} // namespace

class TestTransientHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheNewestFirstUpToTheLimit_data();
    void keepsTheNewestFirstUpToTheLimit();
    void referencesKeepTheirSlotsUpToTheLimit_data();
    void referencesKeepTheirSlotsUpToTheLimit();
};

void TestTransientHistory::keepsTheNewestFirstUpToTheLimit_data()
{
    QTest::addColumn<int>("added");
    QTest::newRow("one") << 1;
    QTest::newRow("just full") << 200;
    QTest::newRow("one over") << 201;
    QTest::newRow("many over") << 450;
}

void TestTransientHistory::keepsTheNewestFirstUpToTheLimit()
{
    QFETCH(int, added);
    TransientHistory history;
    for (int n = 1; n <= added; ++n)
        history.add(numbered(n));
    const int kept = std::min(added, 200);
    QCOMPARE(history.count(), kept);
    // Row r holds capture added - r, with its figures.
    for (int row : { 0, kept / 2, kept - 1 })
        QCOMPARE(history.at(row).capture.capturedAt.toMSecsSinceEpoch(), qint64(added - row));
    QCOMPARE(history.at(kept - 1).figures.peak->deviation, 30);
}

void TestTransientHistory::referencesKeepTheirSlotsUpToTheLimit_data()
{
    QTest::addColumn<QString>("steps"); // "+" adds, "-N" removes row N
    QTest::addColumn<QString>("slots");
    QTest::newRow("in order") << "+ + +"
                              << "012";
    QTest::newRow("a freed slot is taken again") << "+ + + -1 +"
                                                 << "021";
    QTest::newRow("the lowest free slot first") << "+ + + + -2 -0 +"
                                                << "130";
    QTest::newRow("eight at most") << "+ + + + + + + + + +"
                                   << "01234567";
    QTest::newRow("room again after a removal") << "+ + + + + + + + -7 + +"
                                                << "01234567";
    QTest::newRow("a row out of range changes nothing") << "+ -1 -9"
                                                        << "0";
}

void TestTransientHistory::referencesKeepTheirSlotsUpToTheLimit()
{
    QFETCH(QString, steps);
    QFETCH(QString, slots);
    TransientReferences references;
    for (const QString &step : steps.split(QLatin1Char(' '))) {
        if (step == QLatin1String("+")) {
            const bool room = !references.isFull();
            QCOMPARE(references.add(numbered(references.count()), QStringLiteral("r")), room);
        } else {
            references.remove(step.mid(1).toInt());
        }
    }
    QString got;
    for (const TransientReferences::Reference &r : references.all())
        got += QString::number(r.slot);
    QCOMPARE(got, slots);
    QCOMPARE(references.isFull(), slots.size() == 8);
}

QTEST_APPLESS_MAIN(TestTransientHistory)
#include "tst_transient_history.moc"
