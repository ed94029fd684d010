// The deviation read-out: the caption is always the latest, the paints keep to the frame rate.
#include "ui/readout_label.h"

#include "paint_counter.h"

#include <QScreen>
#include <QTest>

class TestReadoutLabel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captionsFasterThanTheFrameRateArePaintedOncePerFrame();
    void grabDuringAHeldFrameShowsTheLatestCaption();
};

void TestReadoutLabel::captionsFasterThanTheFrameRateArePaintedOncePerFrame()
{
    QWidget window;
    window.resize(120, 40);
    auto *label = new ReadoutLabel(&window);
    label->setGeometry(0, 0, 93, 33);
    label->setText(QStringLiteral("+0"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    PaintCounter counter;
    label->installEventFilter(&counter);

    label->setCaption(QStringLiteral("+ 1"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
    for (int value = 2; value <= 200; ++value) {
        label->setCaption(QStringLiteral("- ") + QString::number(value));
        QCOMPARE(label->text(), QStringLiteral("- ") + QString::number(value));
        QCoreApplication::processEvents();
    }
    QVERIFY(counter.paints <= 2);
    QTRY_VERIFY(counter.paints >= 2);
    QVERIFY(label->updatesEnabled());
    QCOMPARE(label->text(), QStringLiteral("- 200"));

    // The same caption again is no change at all.
    const int paints = counter.paints;
    label->setCaption(QStringLiteral("- 200"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, paints);
}

// A screenshot is taken while samples stream in, so nearly always inside a held frame.
void TestReadoutLabel::grabDuringAHeldFrameShowsTheLatestCaption()
{
    QWidget window;
    window.resize(200, 40);
    auto *label = new ReadoutLabel(&window);
    label->setGeometry(0, 0, 93, 33);
    // A plain label beside it, for what the caption looks like.
    auto *reference = new QLabel(QStringLiteral("- 88"), &window);
    reference->setGeometry(100, 0, 93, 33);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    label->setCaption(QStringLiteral("+ 1")); // painted at once: the frame starts
    QCoreApplication::processEvents();
    label->setCaption(QStringLiteral("- 88")); // held until the frame ends
    const QImage shot = window.grab().toImage();
    QCOMPARE(shot.copy(label->geometry()), shot.copy(reference->geometry()));

    // And the screen shows it once the frame is over.
    const auto onScreen = [&window](QWidget *part) {
        return window.screen()
            ->grabWindow(window.winId(), part->x(), part->y(), part->width(), part->height())
            .toImage();
    };
    QTRY_COMPARE(onScreen(label), onScreen(reference));
}

QTEST_MAIN(TestReadoutLabel)
#include "tst_readout_label.moc"
