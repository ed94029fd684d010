// The transient analysis window on the main window's session, fed through a fake port: opening
// from the Tools menu, the figures of each capture, the history, the cursors, the references
// and the files.
#include "analysis/figure_number.h"
#include "analysis/figure_table.h"
#include "files/transient_csv.h"
#include "folap_harness.h"
#include "transient_sample_text.h"
#include "ui/plot/plot_widget.h"
#include "ui/transient_analysis.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

namespace {

constexpr int kPort = 1;
const QStringList kFigureLabels = { "triggerValue", "peakValue", "peakTimeValue", "overshootValue",
    "settleValue", "ringValue", "dampingValue", "meanValue", "rmsValue", "overSpinValue" };

// The 4100 bytes of a capture: head's samples, then fill up to 2050 samples; and one byte more,
// which makes the port overflow.
QByteArray captureBytes(const QString &head, const QString &fill = QStringLiteral("0"))
{
    QStringList tokens = head.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    while (tokens.size() < kTransientMaxSamples)
        tokens << fill;
    return bytesOf(samplesOf(tokens.join(QLatin1Char(' ')))) + QByteArray(1, '\0');
}

QStringList expectedTexts(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const TransientFigures figures
        = transientFigures(transientSamples(data, kTransientCaptureBytes));
    QStringList texts;
    for (const QString &label : kFigureLabels) {
        for (const FigureColumn *figure : figureRows()) {
            if (label == QLatin1String(figure->figure) + QStringLiteral("Value"))
                texts << figureDisplayText(*figure, figures);
        }
    }
    return texts;
}

// The main window armed in triggered mode, as the user leaves it.
struct Rig
{
    FolapHarness h;

    Rig()
    {
        h.start();
        h.ports.next(kPort);
        h.control<QPushButton>(QStringLiteral("TStart"))->click();
    }
    void capture(const QByteArray &bytes)
    {
        FakeSerialDevice *armed = h.ports.current(kPort);
        h.ports.next(kPort); // for the reopening that re-arms
        armed->feed(bytes);
    }
    TransientAnalysis *open()
    {
        h.control<QAction>(QStringLiteral("Analysis"))->trigger();
        return h.window->findChild<TransientAnalysis *>(QStringLiteral("TransientAnalysis"));
    }
    template <typename T> T *in(const QString &name) const
    {
        T *found = h.window->transientAnalysis()->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const QString &name : kFigureLabels)
            texts << in<QLabel>(name)->text();
        return texts;
    }
    void click(const char *button) { in<QPushButton>(QLatin1String(button))->click(); }
    int references() const { return in<QListWidget>(QStringLiteral("referenceList"))->count(); }
};

} // namespace

class TestTransientAnalysis : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensFromTheToolsMenuAsOneWindowOfItsOwn();
    void showsTheFiguresOfEachCapture_data();
    void showsTheFiguresOfEachCapture();
    void historyIsNewestFirstAndARowShowsItsCapture();
    void historyKeepsTheLast200();
    void cursorsFollowTheBoxesAndTheMouse();
    void referencesStopAtEight();
    void refusedFileIsSaidAndChangesNothing_data();
    void refusedFileIsSaidAndChangesNothing();
    void exportedFilesReadBack_data();
    void exportedFilesReadBack();
    void copiesTheFiguresAsText();
    void aNoteTypedInTheHistoryGoesWithTheCapture();
    void aReferenceIsComparedInColumnsOfItsOwn();
};

void TestTransientAnalysis::opensFromTheToolsMenuAsOneWindowOfItsOwn()
{
    Rig rig;
    // Captured before the window ever opened.
    rig.capture(captureBytes(QStringLiteral("0 40")));
    QCOMPARE(rig.h.window->transientAnalysis(), nullptr);

    TransientAnalysis *analysis = rig.open();
    QVERIFY(analysis);
    QVERIFY(analysis->isVisible());
    QVERIFY(analysis->isWindow());
    QVERIFY(!analysis->isModal());
    QCOMPARE(analysis->parentWidget(), rig.h.window.get());
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakValue"))->text(), QStringLiteral("+40 steps"));

    analysis->close();
    rig.capture(captureBytes(QStringLiteral("0 -60")));
    QCOMPARE(rig.open(), analysis);
    QCOMPARE(rig.h.window->findChildren<TransientAnalysis *>().size(), 1);
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakValue"))->text(), QStringLiteral("-60 steps"));
    QCOMPARE(analysis->shown()->capture.port, kPort);
}

void TestTransientAnalysis::showsTheFiguresOfEachCapture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("texts");
    // Trigger and peak at sample 10; the overshoot one sample later is 40 % of it and the last
    // sample outside the band, so settling takes two samples (0.347 ms). One crossing: no ringing.
    // Mean 30 / 2050, RMS sqrt(2900 / 2050).
    QTest::newRow("a step and one overshoot")
        << captureBytes(QStringLiteral("0 0 0 0 0 0 0 0 0 0 50 -20"))
        << QStringList { "sample 10, +50 steps", "+50 steps", "0.000 ms",
               "-20 steps (40.0 %) at 0.174 ms", "0.347 ms", "\u2014", "\u2014", "0.01 steps",
               "1.19 steps", "0" };
    // Nothing beyond 20 steps: times from sample 0, no settling time.
    QTest::newRow("quiet, two over-spins")
        << captureBytes(QStringLiteral("o o"), QStringLiteral("3"))
        << QStringList { "\u2014", "+3 steps", "0.347 ms", "\u2014", "\u2014", "\u2014", "\u2014",
               "3.00 steps", "3.00 steps", "2" };
    QByteArray ringing = captureBytes(QStringLiteral("0 0 12 90 150 80 -40 -90 -30 25 60 20 m -12 "
                                                     "-30 -5 o 9 15 2 -4 -6 1"));
    QTest::newRow("ringing, as the figures give it") << ringing << expectedTexts(ringing);
}

void TestTransientAnalysis::showsTheFiguresOfEachCapture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    Rig rig;
    rig.open();
    rig.capture(bytes);
    QCOMPARE(rig.shownTexts(), texts);
}

void TestTransientAnalysis::historyIsNewestFirstAndARowShowsItsCapture()
{
    Rig rig;
    for (const char *peak : { "30", "-40", "50" })
        rig.capture(captureBytes(QLatin1String(peak)));
    rig.open();
    auto *table = rig.in<QTableView>(QStringLiteral("historyTable"));
    const auto peakAt = [table](int row) {
        return table->model()
            ->index(row, HistoryTableModel().columnOf("peak_steps"))
            .data()
            .toString();
    };
    QCOMPARE(table->model()->rowCount(), 3);
    QCOMPARE(QStringList({ peakAt(0), peakAt(1), peakAt(2) }), QStringList({ "50", "-40", "30" }));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakValue"))->text(), QStringLiteral("+50 steps"));

    table->selectRow(2);
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakValue"))->text(), QStringLiteral("+30 steps"));
    // A new capture is shown as it comes in.
    rig.capture(captureBytes(QStringLiteral("-70")));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakValue"))->text(), QStringLiteral("-70 steps"));
    QCOMPARE(table->selectionModel()->selectedRows().constFirst().row(), 0);
}

void TestTransientAnalysis::historyKeepsTheLast200()
{
    Rig rig;
    for (int n = 1; n <= 201; ++n)
        rig.capture(captureBytes(QString::number(n % 2 ? n : -n)));
    rig.open();
    auto *table = rig.in<QTableView>(QStringLiteral("historyTable"));
    QCOMPARE(table->model()->rowCount(), 200);
    QCOMPARE(table->model()->index(0, HistoryTableModel().columnOf("peak_steps")).data().toString(),
        QStringLiteral("201"));
    QCOMPARE(
        table->model()->index(199, HistoryTableModel().columnOf("peak_steps")).data().toString(),
        QStringLiteral("-2"));
}

void TestTransientAnalysis::cursorsFollowTheBoxesAndTheMouse()
{
    Rig rig;
    TransientAnalysis *analysis = rig.open();
    const QByteArray bytes = captureBytes(QStringLiteral("0 0 0 0 30 60 20 -10 -4 5"));
    rig.capture(bytes);
    const QList<TransientSample> &samples = analysis->shown()->capture.samples;
    auto *spinA = rig.in<QDoubleSpinBox>(QStringLiteral("cursorASpin"));
    auto *spinB = rig.in<QDoubleSpinBox>(QStringLiteral("cursorBSpin"));
    // 0.3 ms is nearest sample 6 (0.347 ms), -0.5 ms sample 1 (-0.521 ms).
    spinA->setValue(0.3);
    spinB->setValue(-0.5);
    const CursorTexts expected = cursorTexts(cursorStatistics(samples, 4, 0.3, -0.5));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("tAValue"))->text(), QStringLiteral("0.347 ms"));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("eAValue"))->text(), QStringLiteral("+20 steps"));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("deltaTValue"))->text(), expected.deltaT);
    QCOMPARE(rig.in<QLabel>(QStringLiteral("cursorMaxValue"))->text(), QStringLiteral("+60 steps"));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("cursorRmsValue"))->text(), expected.rms);
    QCOMPARE(spinA->value(), std::round(2 * 1000.0 / 5760 * 1000) / 1000);

    // Zoomed in so that samples are many pixels apart, A is dragged 20 samples to the right.
    QVERIFY(QTest::qWaitForWindowExposed(analysis));
    auto *view = rig.in<PlotWidget>(QStringLiteral("chartView"));
    view->setTimeRange(0, 10);
    QTRY_VERIFY(view->plotArea().width() > 200);
    const double pixelsPerMs = view->plotArea().width() / 10;
    const QPoint grab(qRound(view->xOfTime(view->cursorTime(PlotWidget::Cursor::A))),
        qRound(view->plotArea().center().y()));
    const QPoint to = grab + QPoint(qRound(20 * pixelsPerMs * 1000 / 5760), 0);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, grab);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(rig.in<QLabel>(QStringLiteral("tAValue"))->text(), timeMsText(22) + " ms");
    QCOMPARE(rig.in<QLabel>(QStringLiteral("tBValue"))->text(), QStringLiteral("-0.521 ms"));
    // The view was not zoomed by the drag.
    QCOMPARE(view->timeMax(), 10.0);
}

void TestTransientAnalysis::referencesStopAtEight()
{
    Rig rig;
    TransientAnalysis *analysis = rig.open();
    rig.capture(captureBytes(QStringLiteral("40")));
    auto *setReference = rig.in<QPushButton>(QStringLiteral("setReferenceButton"));
    auto *remove = rig.in<QPushButton>(QStringLiteral("removeReferenceButton"));
    QVERIFY(!remove->isEnabled());
    for (int n = 1; n <= 8; ++n) {
        QVERIFY(setReference->isEnabled());
        setReference->click();
        QCOMPARE(rig.references(), n);
        // The new one is selected, ready to be removed.
        QCOMPARE(rig.in<QListWidget>(QStringLiteral("referenceList"))->currentRow(), n - 1);
        QVERIFY(remove->isEnabled());
    }
    QVERIFY(!setReference->isEnabled());
    QVERIFY(!rig.in<QPushButton>(QStringLiteral("loadCsvButton"))->isEnabled());
    analysis->setAsReference();
    QCOMPARE(analysis->references().count(), 8);
    QCOMPARE(rig.in<PlotWidget>(QStringLiteral("chartView"))->seriesCount(),
        8 + 1); // the references and the shown capture

    // A capture coming in leaves the selection as it was.
    rig.in<QListWidget>(QStringLiteral("referenceList"))->setCurrentRow(3);
    rig.capture(captureBytes(QStringLiteral("-50")));
    QCOMPARE(rig.in<QListWidget>(QStringLiteral("referenceList"))->currentRow(), 3);
    QVERIFY(remove->isEnabled());
    remove->click();
    QCOMPARE(rig.references(), 7);
    QVERIFY(setReference->isEnabled());
    while (rig.references() > 0)
        remove->click();
    QVERIFY(!remove->isEnabled());
}

void TestTransientAnalysis::refusedFileIsSaidAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: the path is a folder
    QTest::addColumn<QString>("words"); // in the message, after the file's name
    QTest::newRow("not a capture file") << QByteArray("hello\nworld\n") << "line 1";
    QTest::newRow("binary junk") << QByteArray("\x00\xff\x01\x80", 4) << "";
    QTest::newRow("a folder") << QByteArray() << "folder";
}

void TestTransientAnalysis::refusedFileIsSaidAndChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, words);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("bad.csv"));
    if (content.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("bad.csv")));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Rig rig;
    TransientAnalysis *analysis = rig.open();
    rig.capture(captureBytes(QStringLiteral("40")));
    rig.click("setReferenceButton");
    const int series = rig.in<PlotWidget>(QStringLiteral("chartView"))->seriesCount();

    rig.h.prompts.fileNames.enqueue(path);
    rig.click("loadCsvButton");
    QCOMPARE(rig.h.prompts.messages.size(), 1);
    const ScriptedPrompts::Message &box = rig.h.prompts.messages.first();
    QCOMPARE(box.text, readTransientCsv(path).error);
    QVERIFY(box.text.section(QStringLiteral("bad.csv"), 1).contains(words));
    QCOMPARE(box.icon, UserPrompts::Icon::Critical);
    QCOMPARE(analysis->references().count(), 1);
    QCOMPARE(rig.references(), 1);
    QCOMPARE(rig.in<PlotWidget>(QStringLiteral("chartView"))->seriesCount(), series);
}

void TestTransientAnalysis::exportedFilesReadBack_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("written");
    QTest::newRow("a new file") << false << false << true;
    QTest::newRow("replacing a file") << true << true << true;
    QTest::newRow("keeping a file") << true << false << false;
}

void TestTransientAnalysis::exportedFilesReadBack()
{
    QFETCH(bool, exists);
    QFETCH(bool, replace);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString capturePath = dir.filePath(QStringLiteral("one.csv"));
    const QString historyPath = dir.filePath(QStringLiteral("history.csv"));
    if (exists) {
        for (const QString &path : { capturePath, historyPath }) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old\n");
        }
    }
    Rig rig;
    TransientAnalysis *analysis = rig.open();
    rig.capture(captureBytes(QStringLiteral("0 0 55 -21 o m 3")));
    rig.capture(captureBytes(QStringLiteral("-33")));
    rig.in<QTableView>(QStringLiteral("historyTable"))->selectRow(1);

    for (int i = 0; i < 2; ++i)
        rig.h.prompts.answers.enqueue(
            replace ? UserPrompts::Answer::Ok : UserPrompts::Answer::Cancel);
    rig.h.prompts.fileNames << capturePath << historyPath;
    rig.click("exportCsvButton");
    rig.click("exportHistoryButton");
    QCOMPARE(rig.h.prompts.messages.size(), exists ? 2 : 0);
    QCOMPARE(rig.h.prompts.dialogs.first().fileName,
        transientCsvFileName(analysis->shown()->capture.capturedAt));

    QFile history(historyPath);
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QByteArray historyText = history.readAll();
    const TransientCsvRead read = readTransientCsv(capturePath);
    if (!written) {
        QVERIFY(!read.capture);
        QCOMPARE(historyText, QByteArray("old\n"));
        return;
    }
    QVERIFY2(read.capture, qPrintable(read.error));
    QCOMPARE(read.capture->samples, analysis->shown()->capture.samples);
    QCOMPARE(read.capture->port, kPort);
    // Oldest first, as a recorded run's history grows.
    const HistoryTableModel &h = rig.h.window->transientHistory();
    QCOMPARE(historyText,
        transientHistoryHeader() + transientHistoryRow(h.at(1).capture, QString())
            + transientHistoryRow(h.at(0).capture, QString()));
}

void TestTransientAnalysis::copiesTheFiguresAsText()
{
    Rig rig;
    rig.open();
    rig.capture(captureBytes(QStringLiteral("0 0 55 -21")));
    QGuiApplication::clipboard()->clear();
    rig.click("copyFiguresButton");
    const QString text = QGuiApplication::clipboard()->text();
    QCOMPARE(text.count(QLatin1Char('\n')), figureRows().size());
    QVERIFY(text.contains(QStringLiteral("Peak: +55 steps\n")));
    QVERIFY(text.contains(QStringLiteral("Trigger: sample 2, +55 steps\n")));
}

// The tuner types the settings tried into the Note column: the capture is named by them on the
// window and as a reference, and they go into its file.
void TestTransientAnalysis::aNoteTypedInTheHistoryGoesWithTheCapture()
{
    Rig rig;
    rig.open();
    rig.capture(captureBytes(QStringLiteral("0 0 55 -21")));
    HistoryTableModel &history = rig.h.window->transientHistory();
    QVERIFY(
        history.setData(history.index(0, history.noteColumn()), QStringLiteral("P 12,\tFF1 30 ")));
    QCOMPARE(
        history.index(0, history.noteColumn()).data().toString(), QStringLiteral("P 12, FF1 30"));
    QVERIFY(rig.in<QLabel>(QStringLiteral("shownLabel"))
                ->text()
                .endsWith(QStringLiteral("\u2014 P 12, FF1 30")));
    rig.click("setReferenceButton");
    QVERIFY(rig.in<QListWidget>(QStringLiteral("referenceList"))
                ->item(0)
                ->text()
                .endsWith(QStringLiteral("P 12, FF1 30")));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noted.csv"));
    rig.h.prompts.fileNames << path;
    rig.click("exportCsvButton");
    const TransientCsvRead read = readTransientCsv(path);
    QVERIFY2(read.capture, qPrintable(read.error));
    QCOMPARE(read.capture->note, QStringLiteral("P 12, FF1 30"));
}

// With a reference, the panel shows its figures and the change; the newest reference is compared
// with unless another is chosen, and Copy figures gives the three columns for a spreadsheet.
void TestTransientAnalysis::aReferenceIsComparedInColumnsOfItsOwn()
{
    Rig rig;
    rig.open();
    rig.capture(captureBytes(QStringLiteral("0 30 166 -40 12 -5")));
    QVERIFY(!rig.in<QLabel>(QStringLiteral("peakCompare"))
                 ->isVisibleTo(rig.h.window->transientAnalysis()));
    rig.click("setReferenceButton");
    rig.capture(captureBytes(QStringLiteral("0 30 100 -50")));
    rig.click("setReferenceButton");
    rig.capture(captureBytes(QStringLiteral("0 30 154 -30 8 -4")));
    auto *compareWith = rig.in<QComboBox>(QStringLiteral("compareWith"));
    QCOMPARE(compareWith->count(), 2);
    QCOMPARE(compareWith->currentIndex(), 1);
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakCompare"))->text(),
        QStringLiteral("+54 steps (+54.0 %)"));
    compareWith->setCurrentIndex(0);
    QCOMPARE(
        rig.in<QLabel>(QStringLiteral("peakReferenceValue"))->text(), QStringLiteral("+166 steps"));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("peakCompare"))->text(),
        QStringLiteral("-12 steps (-7.2 %)"));
    QCOMPARE(rig.in<QLabel>(QStringLiteral("ringCompare"))->text(), QStringLiteral("\u2014"));

    QGuiApplication::clipboard()->clear();
    rig.click("copyFiguresButton");
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    QVERIFY(lines.first().startsWith(QStringLiteral("\tShown\t")));
    QVERIFY(lines.contains(QStringLiteral("Peak\t+154 steps\t+166 steps\t-12 steps (-7.2 %)")));
}

QTEST_MAIN(TestTransientAnalysis)
#include "tst_transient_analysis.moc"
