// The main window's transient tools on the chart: the magnified view behind the scroll bar, the
// pen colour swatches and the Clear button.
#include "folap_harness.h"

#include "ui/chart_surface.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QStyleOptionSlider>

namespace {

using Points = QList<QPoint>;

constexpr quint32 kRed = 0x0000FF;
const QString kTrigger = QStringLiteral("Triger");

// Bytes written into CaptureBuffer from index `first` on.
struct Bytes
{
    int first = 1;
    QList<int> values;
};

void fill(Folap &window, const Bytes &bytes)
{
    for (qsizetype i = 0; i < bytes.values.size(); ++i)
        window.session().captureBuffer()[bytes.first + i] = quint8(bytes.values[i]);
}

// What the chart must show: its background with the polyline through `points`, 1 pixel wide.
QImage expectedView(const ChartSurface &rajz, const Points &points, quint32 color)
{
    ChartSurface reference;
    reference.setPicture(rajz.picture());
    reference.setDrawWidth(1);
    for (qsizetype i = 1; i < points.size(); ++i)
        reference.Line(points[i - 1], points[i], color);
    return reference.image();
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

class TestFolapTransient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void magnifiedViewDrawsOneBytePerColumn_data();
    void magnifiedViewDrawsOneBytePerColumn();
    void valueChangesRedrawAndDiscardWaitingInput_data();
    void valueChangesRedrawAndDiscardWaitingInput();
    void draggingTheThumbDrawsEachStepOnceAtTheNewValue();
    void keysMoveTheMagnifierWithinItsRange_data();
    void keysMoveTheMagnifierWithinItsRange();
    void choosingASwatchSetsThePenColour_data();
    void choosingASwatchSetsThePenColour();
    void indexOutsideTheSwatchesChangesNothing_data();
    void indexOutsideTheSwatchesChangesNothing();
    void linesAlreadyDrawnKeepTheirColour();
    void clearEmptiesTheChartAndOneScrollStepRedraws();

private:
    static QScrollBar *csuszka(const FolapHarness &h)
    {
        return h.control<QScrollBar>(QStringLiteral("Csuszka"));
    }
    // Moves the scroll bar to `value` as a change, so the view is drawn even when it is there.
    static void showAt(const FolapHarness &h, int value)
    {
        QScrollBar *bar = csuszka(h);
        {
            const QSignalBlocker quiet(bar);
            bar->setValue(value == 0 ? 1 : 0);
        }
        bar->setValue(value);
    }
};

void TestFolapTransient::magnifiedViewDrawsOneBytePerColumn_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<Points>("points");
    const QPoint start(0, 255);
    QTest::newRow("empty capture: nothing but the background") << 0 << Bytes() << Points { start };
    QTest::newRow("a byte off the marker moves to the other phase")
        << 0 << Bytes { 1, { 0, 128, 5, 128, 7 } } << Points { start, { 4, 248 } };
    QTest::newRow("pair 128,127 is drawn, not skipped")
        << 0 << Bytes { 1, { 128, 127, 128, 128, 128, 0 } }
        << Points { start, { 1, 128 }, { 3, 127 }, { 5, 255 } };
    QTest::newRow("the window starts at byte offset + 1")
        << 1000 << Bytes { 1000, { 128, 128, 90, 128, 20 } }
        << Points { start, { 1, 165 }, { 3, 235 } };
}

void TestFolapTransient::magnifiedViewDrawsOneBytePerColumn()
{
    QFETCH(int, offset);
    QFETCH(Bytes, bytes);
    QFETCH(Points, points);
    FolapHarness h;
    Folap &w = h.start();
    fill(*h.window, bytes);
    h.state.PenColor = kRed;
    ChartSurface &rajz = *w.Rajz();
    // Left from a capture: it has to go even with Auto Clear off, and the width 2 of the overview.
    h.control<QCheckBox>(QStringLiteral("Torles"))->setChecked(false);
    rajz.Line(QPoint(0, 20), QPoint(599, 20), 0x00FF00);

    showAt(h, offset);

    QCOMPARE(rajz.DrawWidth(), 1);
    QCOMPARE(rajz.image(), expectedView(rajz, points, kRed));
    if (points.size() > 1)
        QCOMPARE(rajz.image().pixelColor(points[1]), QColor(255, 0, 0));
}

void TestFolapTransient::valueChangesRedrawAndDiscardWaitingInput_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("redraws");
    // The triggered Start sets the value to 0 from code.
    QTest::newRow("reset from 5 to 0") << kTrigger << 5 << 0 << true;
    QTest::newRow("reset when already 0") << kTrigger << 0 << 0 << false;
    QTest::newRow("set to the same value") << kTrigger << 700 << 700 << false;
    QTest::newRow("continuous mode") << QStringLiteral("Foly") << 10 << 11 << true;
}

void TestFolapTransient::valueChangesRedrawAndDiscardWaitingInput()
{
    QFETCH(QString, mode);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, redraws);
    FolapHarness h;
    Folap &w = h.start();
    h.control<QRadioButton>(mode)->setChecked(true);
    fill(*h.window, Bytes { to + 1, { 128, 100 } });
    {
        const QSignalBlocker quiet(csuszka(h));
        csuszka(h)->setValue(from);
    }
    h.openPort(2);
    FakeSerialDevice *device = h.ports.current(2);
    // Fewer bytes than any receive threshold, so they wait unread.
    device->feed(QByteArray("\x80\x05\x80", 3));
    QTRY_COMPARE(w.MSComm().InBufferCount(), 3);
    const int discards = device->discardCount();
    const QImage before = w.Rajz()->image();

    csuszka(h)->setValue(to);

    QCOMPARE(w.MSComm().InBufferCount(), redraws ? 0 : 3);
    QCOMPARE(device->discardCount(), discards + (redraws ? 1 : 0));
    QCOMPARE(w.Rajz()->image() != before, redraws);
    if (redraws)
        QCOMPARE(w.Rajz()->image().pixelColor(1, 155), QColor(Qt::black));
}

void TestFolapTransient::draggingTheThumbDrawsEachStepOnceAtTheNewValue()
{
    FolapHarness h;
    Folap &w = h.start();
    for (int i = 1; i <= 4100; i += 2) {
        h.window->session().captureBuffer()[i] = 128;
        h.window->session().captureBuffer()[i + 1] = quint8(i / 2 % 200);
    }
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QScrollBar *bar = csuszka(h);
    h.openPort(1);
    const int discards = h.ports.current(1)->discardCount();
    QSignalSpy changes(bar, &QScrollBar::valueChanged);

    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    const QRect thumb = bar->style()->subControlRect(
        QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    QPoint at = thumb.center();
    QTest::mousePress(bar, Qt::LeftButton, {}, at);
    QVERIFY(bar->isSliderDown());
    for (int step = 0; step < 5; ++step) {
        at += QPoint(40, 0);
        QTest::mouseMove(bar, at);
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at);

    QVERIFY(bar->value() > 0);
    QVERIFY(changes.size() >= 1);
    QCOMPARE(h.ports.current(1)->discardCount(), discards + changes.size());
    const QImage dragged = w.Rajz()->image();
    w.Csuszka_Change();
    QCOMPARE(dragged, w.Rajz()->image());
}

void TestFolapTransient::keysMoveTheMagnifierWithinItsRange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("Right: one byte on") << 10 << int(Qt::Key_Right) << 11;
    QTest::newRow("Left: one byte back") << 10 << int(Qt::Key_Left) << 9;
    QTest::newRow("Page Down: ten bytes on") << 10 << int(Qt::Key_PageDown) << 20;
    QTest::newRow("Right at the end stays") << 2100 << int(Qt::Key_Right) << 2100;
    QTest::newRow("Left at the start stays") << 0 << int(Qt::Key_Left) << 0;
}

void TestFolapTransient::keysMoveTheMagnifierWithinItsRange()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    FolapHarness h;
    h.start();
    QScrollBar *bar = csuszka(h);
    bar->setValue(from);
    QSignalSpy changes(bar, &QScrollBar::valueChanged);
    QTest::keyClick(bar, Qt::Key(key));
    QCOMPARE(bar->value(), to);
    QCOMPARE(changes.size(), from == to ? 0 : 1);
}

void TestFolapTransient::choosingASwatchSetsThePenColour_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<quint32>("penColor");
    QTest::addColumn<QColor>("swatch");
    QTest::newRow("black") << 0 << 0x000000u << QColor(0, 0, 0);
    QTest::newRow("red") << 1 << 0x0000FFu << QColor(255, 0, 0);
    QTest::newRow("cyan") << 2 << 0xFFFF00u << QColor(0, 255, 255);
    QTest::newRow("magenta") << 3 << 0xFF00FFu << QColor(255, 0, 255);
}

void TestFolapTransient::choosingASwatchSetsThePenColour()
{
    QFETCH(int, index);
    QFETCH(quint32, penColor);
    QFETCH(QColor, swatch);
    FolapHarness h;
    h.start();
    auto *option = h.control<QRadioButton>(QStringLiteral("Szin(%1)").arg(index));
    // Start from another swatch, so that black is a change too.
    h.control<QRadioButton>(QStringLiteral("Szin(%1)").arg(index == 1 ? 2 : 1))->click();
    h.state.PenColor = 0x123456;

    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(4, option->height() / 2));

    QVERIFY(option->isChecked());
    QCOMPARE(h.state.PenColor, penColor);
    // The swatch shows the colour it selects, to the right of its indicator.
    const QImage shot = option->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() - 3, shot.height() / 2), swatch);
}

void TestFolapTransient::indexOutsideTheSwatchesChangesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
    QTest::newRow("32767") << 32767;
}

void TestFolapTransient::indexOutsideTheSwatchesChangesNothing()
{
    QFETCH(int, index);
    FolapHarness h;
    Folap &w = h.start();
    h.state.PenColor = 0xFF00FF;
    w.Szin_Click(index);
    QCOMPARE(h.state.PenColor, 0xFF00FFu);
}

void TestFolapTransient::linesAlreadyDrawnKeepTheirColour()
{
    FolapHarness h;
    Folap &w = h.start();
    fill(*h.window, Bytes { 1, { 128, 100, 128, 100, 128, 100, 128, 100 } });
    showAt(h, 0);
    const QImage black = w.Rajz()->image();
    QCOMPARE(black.pixelColor(5, 155), QColor(Qt::black));

    h.control<QRadioButton>(QStringLiteral("Szin(2)"))->click();
    QCOMPARE(w.Rajz()->image(), black);

    QTest::keyClick(csuszka(h), Qt::Key_Right);
    // One byte on, the pairs are read at the other phase: the same curve one column to the left.
    QCOMPARE(w.Rajz()->image().pixelColor(4, 155), QColor(0, 255, 255));
}

void TestFolapTransient::clearEmptiesTheChartAndOneScrollStepRedraws()
{
    FolapHarness h;
    Folap &w = h.start();
    fill(*h.window, Bytes { 11, { 128, 50, 128, 50, 128, 50, 128, 50, 128, 50 } });
    h.state.PenColor = kRed;
    showAt(h, 10);
    const QImage view = w.Rajz()->image();
    const auto captureBefore = h.window->session().captureBuffer();

    QTest::mouseClick(h.control<QPushButton>(QStringLiteral("Torlesgomb")), Qt::LeftButton);

    QCOMPARE(w.Rajz()->image(), w.Rajz()->picture());
    QCOMPARE(csuszka(h)->value(), 10);
    QCOMPARE(h.state.PenColor, kRed);
    QVERIFY(h.window->session().captureBuffer() == captureBefore);

    // One step on and back: the capture comes back as it was.
    QTest::keyClick(csuszka(h), Qt::Key_Right);
    QCOMPARE(csuszka(h)->value(), 11);
    QVERIFY(w.Rajz()->image() != w.Rajz()->picture());
    QTest::keyClick(csuszka(h), Qt::Key_Left);
    QCOMPARE(w.Rajz()->image(), view);
}

QTEST_MAIN(TestFolapTransient)
#include "tst_folap_transient.moc"
