// A trace's path: where the line stops for missing and over-spin samples, how it is cut to the
// plot area by the data, and the per-column lines that keep every excursion in sight.
#include "ui/plot/trace_path.h"

#include <QTest>

namespace {

// "10 M 30 O 40": deviations, M missing, O over-spin.
SampleSeries seriesOf(const QString &text)
{
    SampleSeries series;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        series.append(word == QLatin1String("M") ? SampleSeries::kMissing
                : word == QLatin1String("O")     ? SampleSeries::kOverSpin
                                                 : qint16(word.toInt()));
    }
    return series;
}

// "M0.5,260 L1.5,260 ...", for comparing paths with readable failures.
QString pathText(const QPainterPath &path)
{
    QStringList elements;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        elements << QStringLiteral("%1%2,%3")
                        .arg(e.isMoveTo() ? QLatin1Char('M') : QLatin1Char('L'))
                        .arg(e.x, 0, 'g', 6)
                        .arg(e.y, 0, 'g', 6);
    }
    return elements.join(QLatin1Char(' '));
}

// The area is 520 pixels high for -260..260, so a value v lands on y = 260 - v.
TraceView viewOf(double width, double leftIndex, double rightIndex)
{
    TraceView view;
    view.area = QRectF(0, 0, width, 520);
    view.leftIndex = leftIndex;
    view.rightIndex = rightIndex;
    return view;
}

} // namespace

class TestTracePath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineStopsWhereThereIsNoDeviation_data();
    void lineStopsWhereThereIsNoDeviation();
    void cutToTheAreaByTheData();
    void columnsKeepEveryExcursionAndEveryGap();
};

void TestTracePath::lineStopsWhereThereIsNoDeviation_data()
{
    // Ten pixels a sample: sample i at x = 10 i.
    QTest::addColumn<QString>("samples");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<double>>("overSpinX");
    QTest::newRow("missing") << "10 20 M 30 40"
                             << "M0,250 L10,240 M30,230 L40,220" << QList<double> {};
    QTest::newRow("over-spin") << "10 20 O 30 40"
                               << "M0,250 L10,240 M30,230 L40,220" << QList<double> { 20 };
    QTest::newRow("a lone sample is a dash, cut at the edge")
        << "10 M 30 M 40 50"
        << "M0,250 L0.5,250 M19.5,230 L20.5,230 M40,220 L50,210" << QList<double> {};
    QTest::newRow("gaps at both ends") << "M 10 20 M"
                                       << "M10,250 L20,240" << QList<double> {};
}

void TestTracePath::lineStopsWhereThereIsNoDeviation()
{
    QFETCH(QString, samples);
    QFETCH(QString, path);
    QFETCH(QList<double>, overSpinX);
    const SampleSeries series = seriesOf(samples);
    QPainterPath got;
    std::vector<double> marks;
    TracePathBuilder().build(
        series, viewOf(10.0 * (series.end() - 1), 0, double(series.end() - 1)), got, marks);
    QCOMPARE(pathText(got), path);
    QCOMPARE(QList<double>(marks.cbegin(), marks.cend()), overSpinX);
}

void TestTracePath::cutToTheAreaByTheData()
{
    // A ramp of 20 steps a sample, ten pixels a sample.
    const SampleSeries series = seriesOf(QStringLiteral("0 20 40 60 80 100 120"));
    QPainterPath got;
    std::vector<double> marks;
    TracePathBuilder builder;
    builder.build(series, viewOf(40, 0.5, 4.5), got, marks);
    QCOMPARE(pathText(got), QStringLiteral("M0,250 L5,240 L15,220 L25,200 L35,180 L40,170"));

    // With the top at 50 (and the bottom at -260) a step is 520 / 310 pixels; the line leaves
    // the area at 50, halfway from sample 2 to sample 3.
    TraceView view = viewOf(40, 0, 4);
    view.maxValue = 50;
    builder.build(series, view, got, marks);
    QCOMPARE(pathText(got), QStringLiteral("M0,83.871 L10,50.3226 L20,16.7742 L25,0"));
}

void TestTracePath::columnsKeepEveryExcursionAndEveryGap()
{
    // Ten columns of 100 samples at 0: a one-sample spike to 200 in column 3, one missing sample
    // in column 6, one over-spin sample in column 9.
    SampleSeries series;
    for (int i = 0; i < 1000; ++i) {
        series.append(i == 345 ? qint16(200)
                : i == 650     ? SampleSeries::kMissing
                : i == 999     ? SampleSeries::kOverSpin
                               : qint16(0));
    }
    QPainterPath got;
    std::vector<double> marks;
    TracePathBuilder().build(series, viewOf(10, 0, 999), got, marks);
    // Columns at x = c + 0.5, a flat stretch in one segment; those with a gap stand alone, a
    // flat one as a dash.
    QCOMPARE(pathText(got),
        QStringLiteral("M0.5,260 L3.5,260 L3.5,60 L4.5,260 L5.5,260 "
                       "M6,260 L7,260 M7.5,260 L8.5,260 M9,260 L10,260"));
    QCOMPARE(QList<double>(marks.cbegin(), marks.cend()), QList<double> { 9.5 });
}

QTEST_APPLESS_MAIN(TestTracePath)
#include "tst_trace_path.moc"
