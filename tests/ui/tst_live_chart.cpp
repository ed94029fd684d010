// The live chart on the main window's session, fed through a fake port: opening from the Tools
// menu, each way of pausing, the statistics and the export of the part in view, the line for
// triggered mode and the CPU saver, and its settings.
#include "folap_harness.h"
#include "ui/live_chart.h"
#include "ui/plot/plot_widget.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

constexpr int kPort = 1;
constexpr qint64 kSecond = kTransientSampleRateHz;

QByteArray pairs(qint64 count, quint8 value)
{
    return QByteArray(1, char(128)).append(char(value)).repeated(count);
}

// The main window running in continuous mode with the live chart open.
struct Rig
{
    FolapHarness h;
    LiveChart *chart = nullptr;

    explicit Rig(const QByteArray &setup = QByteArray("Minta=2\n"), bool start = true)
        : h(setup)
    {
        h.start();
        h.window->findChild<QAction *>(QStringLiteral("LiveChart"))->trigger();
        chart = h.window->liveChart();
        if (!start)
            return;
        h.ports.next(kPort);
        h.control<QAbstractButton>(QStringLiteral("Foly"))->click();
        h.control<QAbstractButton>(QStringLiteral("FStart"))->click();
    }
    void feed(const QByteArray &bytes) { h.ports.current(kPort)->feed(bytes); }
    template <typename T> T *in(const QString &name) const
    {
        T *found = chart->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString text(const char *label) const { return in<QLabel>(QLatin1String(label))->text(); }
    PlotWidget *plot() const { return in<PlotWidget>(QStringLiteral("livePlot")); }
    // The chart has taken samples and shows the newest on its right edge, to the pixel (a chart
    // that follows moves on by whole pixels). A pause between feeds longer than the clock allows
    // is a gap in time, so the newest is not always at samples - 1.
    bool shows(qint64 samples) const
    {
        const SampleSeries &series = chart->history().series();
        const double behind
            = double(series.end() - 1) * kTransientSamplePeriodMs - plot()->timeMax();
        const double pixel = (plot()->timeMax() - plot()->timeMin()) / plot()->plotArea().width();
        return chart->history().samplesTaken() == quint64(samples) && behind >= 0 && behind < pixel;
    }
};

enum class Pause { Button, Space, Drag, ScrollBar };

} // namespace

Q_DECLARE_METATYPE(Pause)

class TestLiveChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theToolsMenuOpensOneNonModalWindow();
    void eachWayOfPausingFreezesTheViewWhileRecordingGoesOn_data();
    void eachWayOfPausingFreezesTheViewWhileRecordingGoesOn();
    void statisticsAndExportTakeThePartInView_data();
    void statisticsAndExportTakeThePartInView();
    void theStatusLineSaysWhatTheChartShows_data();
    void theStatusLineSaysWhatTheChartShows();
    void spanAndHistoryComeFromTheSettingsAndTheSpanGoesBack();
};

void TestLiveChart::theToolsMenuOpensOneNonModalWindow()
{
    FolapHarness h;
    h.start();
    QCOMPARE(h.window->liveChart(), nullptr);
    QAction *action = h.window->findChild<QAction *>(QStringLiteral("LiveChart"));
    action->trigger();
    LiveChart *chart = h.window->liveChart();
    QVERIFY(chart && chart->isVisible() && chart->isWindow());
    QCOMPARE(chart->objectName(), QStringLiteral("LiveChart"));
    QCOMPARE(chart->parentWidget(), h.window.get());
    QVERIFY(!chart->isModal());
    chart->close();
    action->trigger();
    QCOMPARE(h.window->liveChart(), chart);
    QVERIFY(chart->isVisible());
}

void TestLiveChart::eachWayOfPausingFreezesTheViewWhileRecordingGoesOn_data()
{
    QTest::addColumn<Pause>("how");
    QTest::newRow("the button") << Pause::Button;
    QTest::newRow("Space") << Pause::Space;
    QTest::newRow("a drag on the plot") << Pause::Drag;
    QTest::newRow("the scroll bar") << Pause::ScrollBar;
}

void TestLiveChart::eachWayOfPausingFreezesTheViewWhileRecordingGoesOn()
{
    QFETCH(Pause, how);
    Rig rig;
    QPushButton *pause = rig.in<QPushButton>(QStringLiteral("livePause"));
    rig.feed(pairs(3 * kSecond, 5));
    QTRY_VERIFY(rig.shows(3 * kSecond));
    QCOMPARE(pause->text(), QStringLiteral("Pause"));

    PlotWidget *plot = rig.plot();
    switch (how) {
    case Pause::Button:
        pause->click();
        break;
    case Pause::Space:
        rig.chart->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.chart));
        QTest::keyClick(rig.chart, Qt::Key_Space);
        break;
    case Pause::Drag: {
        const QPoint middle = plot->plotArea().center().toPoint();
        QTest::mousePress(plot, Qt::LeftButton, {}, middle);
        QTest::mouseMove(plot, middle + QPoint(100, 0));
        QTest::mouseRelease(plot, Qt::LeftButton, {}, middle + QPoint(100, 0));
        break;
    }
    case Pause::ScrollBar:
        rig.in<QScrollBar>(QStringLiteral("liveScroll"))
            ->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    }
    QCOMPARE(pause->text(), QStringLiteral("Live"));
    QVERIFY(!rig.chart->view().isLive());
    const double min = plot->timeMin();
    const double max = plot->timeMax();
    QVERIFY(max < double(3 * kSecond) * kTransientSamplePeriodMs);

    rig.feed(pairs(kSecond, 6));
    QTRY_COMPARE(rig.chart->history().series().stats(0, 1 << 30).valid, 4 * kSecond);
    QCOMPARE(plot->timeMin(), min);
    QCOMPARE(plot->timeMax(), max);

    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("Pause"));
    QVERIFY(rig.shows(4 * kSecond));
}

void TestLiveChart::statisticsAndExportTakeThePartInView_data()
{
    QTest::addColumn<bool>("cursors");
    QTest::addColumn<QString>("name"); // in a scratch folder
    QTest::addColumn<int>("rows"); // 0: the file cannot be written
    QTest::newRow("the part in view") << false << "view.csv" << 2881;
    QTest::newRow("between the cursors") << true << "cursors.csv" << 101;
    QTest::newRow("a folder that is not there") << false << "missing/view.csv" << 0;
}

// Half a second in view of a second of +7, with a missing sample 0.1 s before the newest.
void TestLiveChart::statisticsAndExportTakeThePartInView()
{
    QFETCH(bool, cursors);
    QFETCH(QString, name);
    QFETCH(int, rows);
    Rig rig;
    rig.in<QComboBox>(QStringLiteral("liveSpan"))->setCurrentIndex(0);
    // A stray byte before the last 577 pairs: the read it starts shows nothing, and the byte
    // dropped to get back onto the pairs takes the next pair with it.
    rig.feed(pairs(kSecond - 577, 7) + QByteArray(1, 7) + pairs(577, 7));
    QTRY_VERIFY(rig.shows(kSecond - 1));
    QCOMPARE(rig.chart->history().series().end(), kSecond);
    QCOMPARE(rig.text("liveSamplesValue"), QStringLiteral("2880 / 1"));
    QCOMPARE(rig.text("liveMeanValue"), QStringLiteral("7.00 steps"));
    QCOMPARE(rig.text("liveMaxValue"), QStringLiteral("+7 steps"));
    QCOMPARE(rig.text("livePeakToPeakValue"), QStringLiteral("0 steps"));

    if (cursors) {
        rig.in<QCheckBox>(QStringLiteral("liveCursors"))->setChecked(true);
        rig.in<QDoubleSpinBox>(QStringLiteral("liveCursorASpin"))
            ->setValue(double(kSecond - 600) * kTransientSamplePeriodMs);
        rig.in<QDoubleSpinBox>(QStringLiteral("liveCursorBSpin"))
            ->setValue(double(kSecond - 500) * kTransientSamplePeriodMs);
        QCOMPARE(rig.text("liveDeltaTValue"), QStringLiteral("17.361 ms"));
        QCOMPARE(rig.text("liveCursorMeanValue"), QStringLiteral("7.00 steps"));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    rig.h.prompts.fileNames << path;
    rig.in<QPushButton>(QStringLiteral("liveExportCsv"))->click();
    QCOMPARE(rig.h.prompts.dialogs.size(), 1);
    QVERIFY(rig.h.prompts.dialogs.first().fileName.startsWith(QStringLiteral("live-")));
    QFile file(path);
    if (rows == 0) {
        QCOMPARE(rig.h.prompts.messages.size(), 1);
        QVERIFY(rig.h.prompts.messages.first().text.startsWith(path + QStringLiteral(": ")));
        QCOMPARE(rig.h.prompts.messages.first().icon, UserPrompts::Icon::Critical);
        QVERIFY(!file.exists());
        return;
    }
    QVERIFY(rig.h.prompts.messages.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.first(), QByteArray("# Velmora Servo Monitor live stream"));
    QCOMPARE(lines.at(5), QByteArray("index,time_ms,deviation_steps,over_spin"));
    QCOMPARE(lines.size(), 6 + rows + 1);
    QCOMPARE(lines.at(6), QByteArray("0,0.000,7,0"));
    // The missing sample is a row of its own, so time runs on through it.
    QVERIFY(lines.contains(cursors ? QByteArray("23,3.993,,0") : QByteArray("2304,400.000,,0")));
}

void TestLiveChart::theStatusLineSaysWhatTheChartShows_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<QString>("says");
    QTest::newRow("triggered mode")
        << QByteArray("Minta=2\n") << false << "follows continuous mode";
    QTest::newRow("continuous, every sample")
        << QByteArray("Minta=2\n") << true << "Every sample of the stream";
    QTest::newRow("continuous, CPU saver")
        << QByteArray("Minta=31\n") << true << "CPU saver on: the chart shows the one sample";
}

void TestLiveChart::theStatusLineSaysWhatTheChartShows()
{
    QFETCH(QByteArray, setup);
    QFETCH(bool, continuous);
    QFETCH(QString, says);
    Rig rig(setup, continuous);
    QTRY_VERIFY2(rig.text("liveStatus").contains(says), qPrintable(rig.text("liveStatus")));
}

void TestLiveChart::spanAndHistoryComeFromTheSettingsAndTheSpanGoesBack()
{
    Rig rig("Minta=2\n[Options]\nLiveSpanMs=5000\nLiveHistoryMinutes=1\n", false);
    QComboBox *span = rig.in<QComboBox>(QStringLiteral("liveSpan"));
    QCOMPARE(span->currentText(), QStringLiteral("5 s"));
    QCOMPARE(rig.chart->history().minutes(), 1);
    span->setCurrentIndex(span->findData(30000));
    rig.h.window->close();
    QCOMPARE(StoredSettings().readLiveSpanMs(), 30000);
}

QTEST_MAIN(TestLiveChart)
#include "tst_live_chart.moc"
