// What the analysis window keeps without a window: this run's captures newest first and capped,
// taken from the session as they come in; the references and their colours; the chart's scale.
#include "capture/capture_session.h"
#include "capture/transient_chart_scale.h"
#include "analysis/transient_history.h"
#include "analysis/transient_references.h"
#include "fake_serial_device.h"
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
    void takesEachCaptureFromTheSession();
    void referencesKeepTheirColoursUpToTheLimit_data();
    void referencesKeepTheirColoursUpToTheLimit();
    void scaleCoversEveryCaptureFromItsTrigger_data();
    void scaleCoversEveryCaptureFromItsTrigger();
    void pointsLeaveOutSamplesWithoutDeviation();
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
    int rowsAtSignal = -1;
    connect(&history, &TransientHistory::captureAdded, this,
        [&] { rowsAtSignal = history.rowCount(); });
    for (int n = 1; n <= added; ++n)
        history.add(numbered(n));
    const int kept = std::min(added, 200);
    QCOMPARE(history.count(), kept);
    QCOMPARE(rowsAtSignal, kept);
    // Row r holds capture added - r.
    for (int row : { 0, kept / 2, kept - 1 })
        QCOMPARE(history.at(row).capture.capturedAt.toMSecsSinceEpoch(), qint64(added - row));
    QCOMPARE(history.index(kept - 1, TransientHistory::PeakColumn).data().toString(),
        QStringLiteral("30"));
}

void TestTransientHistory::takesEachCaptureFromTheSession()
{
    FakeSerialPorts ports;
    CaptureSession session(ports.factory());
    session.initSerialLink();
    TransientHistory history;
    history.follow(session, [](int port) { return QStringLiteral("/dev/ttyUSB%1").arg(port - 1); });

    constexpr int kPort = 3;
    ports.next(kPort);
    session.startTriggered(kPort);
    ports.next(kPort); // the reopening after the capture
    // Phase 1: a stray byte, then (128, 40) and (129, 246) = -10 repeated.
    QByteArray bytes(1, '\x07');
    while (bytes.size() < 4101)
        bytes.append(QByteArray::fromHex("8028"
                                         "81f6"));
    bytes.truncate(4101);
    const QDateTime before = QDateTime::currentDateTime();
    ports.current(kPort)->feed(bytes);
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(history.count(), 1);
    const TransientCapture &capture = history.at(0).capture;
    QCOMPARE(capture.port, kPort);
    QCOMPARE(capture.device, QStringLiteral("/dev/ttyUSB2"));
    QVERIFY(capture.capturedAt >= before && capture.capturedAt <= after);
    QCOMPARE(capture.samples.size(), 2049);
    QCOMPARE(capture.samples.at(0).deviation, 40);
    QCOMPARE(capture.samples.at(2047).deviation, -10);
    QCOMPARE(history.at(0).figures.peak->deviation, 40);
}

void TestTransientHistory::referencesKeepTheirColoursUpToTheLimit_data()
{
    QTest::addColumn<QString>("steps"); // "+" adds, "-N" removes row N
    QTest::addColumn<QString>("colours");
    QTest::newRow("in order") << "+ + +"
                              << "012";
    QTest::newRow("a freed colour is taken again") << "+ + + -1 +"
                                                   << "021";
    QTest::newRow("the lowest free colour first") << "+ + + + -2 -0 +"
                                                  << "130";
    QTest::newRow("eight at most") << "+ + + + + + + + + +"
                                   << "01234567";
    QTest::newRow("room again after a removal") << "+ + + + + + + + -7 + +"
                                                << "01234567";
    QTest::newRow("a row out of range changes nothing") << "+ -1 -9"
                                                        << "0";
}

void TestTransientHistory::referencesKeepTheirColoursUpToTheLimit()
{
    QFETCH(QString, steps);
    QFETCH(QString, colours);
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
        got += QString::number(r.colour);
    QCOMPARE(got, colours);
    QCOMPARE(references.isFull(), colours.size() == 8);
}

void TestTransientHistory::scaleCoversEveryCaptureFromItsTrigger_data()
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

void TestTransientHistory::scaleCoversEveryCaptureFromItsTrigger()
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

void TestTransientHistory::pointsLeaveOutSamplesWithoutDeviation()
{
    const QList<TransientSample> samples = samplesOf(QStringLiteral("1 m 25 o -4"));
    const QList<QPointF> points = transientChartPoints(samples);
    const double t = 1000.0 / 5760;
    QCOMPARE(points, (QList<QPointF> { QPointF(-2 * t, 1), QPointF(0, 25), QPointF(2 * t, -4) }));
    QCOMPARE(transientOverSpinTimes(samples), QList<double> { t });
}

QTEST_MAIN(TestTransientHistory)
#include "tst_transient_history.moc"
