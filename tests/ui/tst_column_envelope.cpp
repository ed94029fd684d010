// A plot's pixel columns against a plain scan of the samples each one covers, on random data
// with missing and over-spin samples, on a ring that has wrapped, and beyond the data's ends.
#include "ui/plot/column_envelope.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

class TestColumnEnvelope : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void columnsAgreeWithAPlainScan_data();
    void columnsAgreeWithAPlainScan();
};

void TestColumnEnvelope::columnsAgreeWithAPlainScan_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<qint64>("appended");
    QTest::addColumn<double>("leftIndex");
    QTest::addColumn<double>("rightIndex");
    QTest::addColumn<int>("columns");
    QTest::newRow("a capture") << 0ll << 2050ll << 0.0 << 2049.0 << 1000;
    QTest::newRow("sixty seconds of a wrapped ring")
        << 400000ll << 500000ll << 154399.3 << 499999.0 << 1000;
    QTest::newRow("beyond both ends") << 0ll << 5000ll << -1000.5 << 6000.25 << 700;
    QTest::newRow("partly dropped") << 1000ll << 5000ll << 2000.0 << 4999.0 << 300;
    QTest::newRow("fewer samples than columns") << 0ll << 1000ll << 100.3 << 150.8 << 200;
    QTest::newRow("one column") << 0ll << 1000ll << 0.0 << 999.0 << 1;
}

void TestColumnEnvelope::columnsAgreeWithAPlainScan()
{
    QFETCH(qint64, capacity);
    QFETCH(qint64, appended);
    QFETCH(double, leftIndex);
    QFETCH(double, rightIndex);
    QFETCH(int, columns);
    QRandomGenerator random(7);
    SampleSeries series(capacity);
    for (qint64 i = 0; i < appended; ++i) {
        const int roll = random.bounded(1000);
        series.append(roll < 3 ? SampleSeries::kMissing
                : roll < 6     ? SampleSeries::kOverSpin
                               : qint16(random.bounded(-255, 256)));
    }

    std::vector<EnvelopeColumn> want(static_cast<size_t>(columns));
    const double perColumn = (rightIndex - leftIndex) / columns;
    for (qint64 i = std::max(series.begin(), qint64(std::ceil(leftIndex)));
         i <= std::min(series.end() - 1, qint64(std::floor(rightIndex))); ++i) {
        const int c = std::min(columns - 1, int(std::floor((i - leftIndex) / perColumn)));
        EnvelopeColumn &column = want[size_t(c)];
        const qint16 code = series.at(i);
        if (code == SampleSeries::kMissing) {
            column.missing = true;
        } else if (code == SampleSeries::kOverSpin) {
            column.overSpin = true;
        } else {
            column.min = column.valid ? std::min(column.min, code) : code;
            column.max = column.valid ? std::max(column.max, code) : code;
            column.valid = true;
        }
    }

    std::vector<EnvelopeColumn> got;
    columnEnvelope(series, leftIndex, rightIndex, columns, got);
    const auto text = [](const std::vector<EnvelopeColumn> &envelope) {
        QStringList lines;
        for (const EnvelopeColumn &e : envelope)
            lines << QStringLiteral("%1 [%2, %3] missing %4 over-spin %5")
                         .arg(e.valid)
                         .arg(e.min)
                         .arg(e.max)
                         .arg(e.missing)
                         .arg(e.overSpin);
        return lines;
    };
    QCOMPARE(text(got), text(want));
}

QTEST_APPLESS_MAIN(TestColumnEnvelope)
#include "tst_column_envelope.moc"
