// The rotation calculator window: the field tidied when the focus leaves it, the results shown by
// a click, the form's design state on every opening, and the fixed form itself.
#include "core/module_state.h"
#include "core/number_text.h"
#include "ui/szamolo.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The controls, found the way a user names them.
struct Form
{
    explicit Form(QWidget &window)
        : seb { window.findChild<QRadioButton *>(QStringLiteral("Seb(0)")),
            window.findChild<QRadioButton *>(QStringLiteral("Seb(1)")),
            window.findChild<QRadioButton *>(QStringLiteral("Seb(2)")) }
        , oszto { window.findChild<QRadioButton *>(QStringLiteral("Oszto(0)")),
            window.findChild<QRadioButton *>(QStringLiteral("Oszto(1)")) }
        , encoder(window.findChild<QLineEdit *>(QStringLiteral("Encoder")))
        , szamitas(window.findChild<QPushButton *>(QStringLiteral("Szamitas")))
        , fordulat(window.findChild<QLabel *>(QStringLiteral("Fordulat")))
        , vedelem(window.findChild<QLabel *>(QStringLiteral("Vedelem")))
    {
    }

    bool complete() const
    {
        return seb[0] && seb[1] && seb[2] && oszto[0] && oszto[1] && encoder && szamitas && fordulat
            && vedelem;
    }

    QRadioButton *seb[3];
    QRadioButton *oszto[2];
    QLineEdit *encoder;
    QPushButton *szamitas;
    QLabel *fordulat;
    QLabel *vedelem;
};

void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClicks(field, text);
}

bool showsDesignState(const Form &form)
{
    return form.seb[2]->isChecked() && form.oszto[0]->isChecked()
        && form.encoder->text() == QLatin1String("500")
        && form.fordulat->text() == QLatin1String("?")
        && form.vedelem->text() == QLatin1String("?");
}

} // namespace

class TestSzamolo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void leavingTheFieldForAnotherControlTidiesIt_data();
    void leavingTheFieldForAnotherControlTidiesIt();
    void clickingCalculationShowsTheResults_data();
    void clickingCalculationShowsTheResults();
    void lettersThenAMouseClickCountAsOneLine();
    void anEntryWithoutASpeedTurnsEarlierResultsBackToUnknown();
    void enterInTheFieldDoesNotCalculate();
    void aLongResultIsShownWhole();
    void opensModallyAndClosesWithItsCloseBox();
    void everyOpeningShowsTheDesignState_data();
    void everyOpeningShowsTheDesignState();
    void controlsSitWhereTheFormPutsThem_data();
    void controlsSitWhereTheFormPutsThem();
    void formIsAFixedDialogWithItsOwnFonts();
    void tabVisitsTheControlsInTheirOrder();
};

void TestSzamolo::leavingTheFieldForAnotherControlTidiesIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<QString>("shown");

    QTest::newRow("design text, tab") << "500" << Qt::TabFocusReason << " 500";
    QTest::newRow("letters, mouse") << "abc" << Qt::MouseFocusReason << "1 ??????";
    QTest::newRow("zero, back-tab") << "0" << Qt::BacktabFocusReason << "1 ??????";
    QTest::newRow("beyond a double, tab") << "1E+400" << Qt::TabFocusReason << "1E+400";
    QTest::newRow("another window") << "abc" << Qt::ActiveWindowFocusReason << "abc";
    QTest::newRow("context menu") << "12abc" << Qt::PopupFocusReason << "12abc";
}

void TestSzamolo::leavingTheFieldForAnotherControlTidiesIt()
{
    QFETCH(QString, typed);
    QFETCH(Qt::FocusReason, reason);
    QFETCH(QString, shown);

    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    form.encoder->setText(typed);
    QFocusEvent focusOut(QEvent::FocusOut, reason);
    QApplication::sendEvent(form.encoder, &focusOut);
    QCOMPARE(form.encoder->text(), shown);
    if (shown == QLatin1String("1 ??????"))
        QCOMPARE(state.EncoderLines, 1.0f);
}

void TestSzamolo::clickingCalculationShowsTheResults_data()
{
    QTest::addColumn<int>("pulseOption"); // -1 keeps the design's "45 kHz"
    QTest::addColumn<int>("encoderOption"); // -1 keeps the design's "Double"
    QTest::addColumn<QString>("typed"); // empty keeps the design's "500"
    QTest::addColumn<QString>("revolutions");
    QTest::addColumn<QString>("danger");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("factor");

    QTest::newRow("design state") << -1 << -1 << ""
                                  << " 2700"
                                  << "No!" << 45000.0f << 2;
    QTest::newRow("501 lines") << -1 << -1 << "501"
                               << " 2514"
                               << "Yes!" << 42000.0f << 2;
    QTest::newRow("35 kHz 1:1") << 1 << 1 << ""
                                << " 3060"
                                << "Yes!" << 51000.0f << 2;
    QTest::newRow("25 kHz 1:1") << 0 << 1 << ""
                                << " 3000"
                                << "No!" << 25000.0f << 1;
    QTest::newRow("negative") << -1 << -1 << "-500"
                              << "-2700"
                              << "No!" << 45000.0f << 2;
}

void TestSzamolo::clickingCalculationShowsTheResults()
{
    QFETCH(int, pulseOption);
    QFETCH(int, encoderOption);
    QFETCH(QString, typed);
    QFETCH(QString, revolutions);
    QFETCH(QString, danger);
    QFETCH(float, rate);
    QFETCH(int, factor);

    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    if (pulseOption >= 0)
        QTest::mouseClick(form.seb[pulseOption], Qt::LeftButton);
    if (encoderOption >= 0)
        QTest::mouseClick(form.oszto[encoderOption], Qt::LeftButton);
    if (!typed.isEmpty())
        typeInto(form.encoder, typed);
    QTest::mouseClick(form.szamitas, Qt::LeftButton);

    QCOMPARE(form.fordulat->text(), revolutions);
    QCOMPARE(form.vedelem->text(), danger);
    QCOMPARE(state.MaxPulseRate, rate);
    QCOMPARE(int(state.EncoderFactor), factor);
    QCOMPARE(NumberText(state.SafeRevolutions), revolutions);
    // The options stay as the user left them, even when the calculation went on doubled.
    QVERIFY(form.seb[pulseOption >= 0 ? pulseOption : 2]->isChecked());
    QVERIFY(form.oszto[encoderOption >= 0 ? encoderOption : 0]->isChecked());
}

void TestSzamolo::lettersThenAMouseClickCountAsOneLine()
{
    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(form.seb[0], Qt::LeftButton);
    typeInto(form.encoder, QStringLiteral("abc"));
    QVERIFY(form.encoder->hasFocus());
    QTest::mouseClick(form.szamitas, Qt::LeftButton);

    QCOMPARE(form.encoder->text(), QStringLiteral("1 ??????"));
    QCOMPARE(form.fordulat->text(), QStringLiteral(" 750000"));
    QCOMPARE(state.EncoderLines, 1.0f);
}

void TestSzamolo::anEntryWithoutASpeedTurnsEarlierResultsBackToUnknown()
{
    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(form.szamitas, Qt::LeftButton);
    QCOMPARE(form.fordulat->text(), QStringLiteral(" 2700"));
    typeInto(form.encoder, QStringLiteral("1E+39"));
    QTest::mouseClick(form.szamitas, Qt::LeftButton);
    QCOMPARE(form.fordulat->text(), QStringLiteral("?"));
    QCOMPARE(form.vedelem->text(), QStringLiteral("?"));
    QCOMPARE(state.SafeRevolutions, 2700.0f);
}

void TestSzamolo::enterInTheFieldDoesNotCalculate()
{
    // A dialog's default button would calculate without the field losing the focus first.
    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    typeInto(form.encoder, QStringLiteral("1000"));
    QTest::keyClick(form.encoder, Qt::Key_Return);
    QCOMPARE(form.fordulat->text(), QStringLiteral("?"));
    QCOMPARE(form.encoder->text(), QStringLiteral("1000"));
    QVERIFY(window.isVisible());
}

void TestSzamolo::aLongResultIsShownWhole()
{
    ModuleState state;
    Szamolo window(state);
    Form form(window);
    QVERIFY(form.complete());
    const QFont designFont = form.fordulat->font();

    form.encoder->setText(QStringLiteral("1"));
    form.szamitas->click();
    QCOMPARE(form.fordulat->text(), QStringLiteral(" 1350000"));
    const QFontMetrics metrics(form.fordulat->font());
    QVERIFY(
        metrics.horizontalAdvance(form.fordulat->text()) <= form.fordulat->contentsRect().width());

    form.encoder->setText(QStringLiteral("500"));
    form.szamitas->click();
    QCOMPARE(form.fordulat->font(), designFont);
}

void TestSzamolo::opensModallyAndClosesWithItsCloseBox()
{
    ModuleState state;
    QWidget mainWindow;
    mainWindow.show();
    Szamolo window(state, &mainWindow);
    QWidget *modalWhileOpen = nullptr;
    QTimer::singleShot(0, &window, [&] {
        modalWhileOpen = QApplication::activeModalWidget();
        window.close();
    });
    QCOMPARE(window.exec(), int(QDialog::Rejected));
    QCOMPARE(modalWhileOpen, &window);
    QVERIFY(!window.isVisible());
}

void TestSzamolo::everyOpeningShowsTheDesignState_data()
{
    QTest::addColumn<bool>("sameObject");
    QTest::newRow("a new window") << false;
    QTest::newRow("the same window again") << true;
}

void TestSzamolo::everyOpeningShowsTheDesignState()
{
    QFETCH(bool, sameObject);

    ModuleState state;
    auto first = std::make_unique<Szamolo>(state);
    {
        Form form(*first);
        QVERIFY(form.complete());
        QVERIFY(showsDesignState(form));
        form.seb[0]->setChecked(true);
        form.oszto[1]->setChecked(true);
        form.encoder->setText(QStringLiteral("1000"));
        form.szamitas->click();
        QCOMPARE(form.fordulat->text(), QStringLiteral(" 1500"));
    }
    QTimer::singleShot(0, first.get(), [&first] { first->close(); });
    first->exec();

    std::unique_ptr<Szamolo> second
        = sameObject ? std::move(first) : std::make_unique<Szamolo>(state);
    first.reset();
    Form form(*second);
    QVERIFY(showsDesignState(form));
    // The calculator values outlive the window.
    QCOMPARE(state.SafeRevolutions, 1500.0f);
    QCOMPARE(state.EncoderLines, 1000.0f);
}

void TestSzamolo::controlsSitWhereTheFormPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Frame1") << "Frame1" << QRect(12, 16, 197, 81);
    QTest::newRow("Seb(2)") << "Seb(2)" << QRect(16, 56, 65, 21);
    QTest::newRow("Encoder") << "Encoder" << QRect(12, 28, 89, 19);
    QTest::newRow("Oszto(1)") << "Oszto(1)" << QRect(100, 80, 81, 17);
    QTest::newRow("Frame3") << "Frame3" << QRect(220, 16, 189, 209);
    QTest::newRow("Fordulat") << "Fordulat" << QRect(8, 64, 105, 41);
    QTest::newRow("Vedelem") << "Vedelem" << QRect(12, 176, 101, 21);
    QTest::newRow("Frame4") << "Frame4" << QRect(12, 232, 397, 57);
    QTest::newRow("Szamitas") << "Szamitas" << QRect(72, 20, 253, 25);
}

void TestSzamolo::controlsSitWhereTheFormPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    ModuleState state;
    Szamolo window(state);
    const auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
}

void TestSzamolo::formIsAFixedDialogWithItsOwnFonts()
{
    ModuleState state;
    Szamolo window(state);
    QCOMPARE(window.windowTitle(), QStringLiteral("Rotate Calculation"));
    QCOMPARE(window.minimumSize(), QSize(424, 321));
    QCOMPARE(window.maximumSize(), QSize(424, 321));
    QVERIFY(
        !(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(Szamolo::renderForScreenshot(state).size(), QSize(424, 321));

    const auto *fordulat = window.findChild<QLabel *>(QStringLiteral("Fordulat"));
    const auto *vedelem = window.findChild<QLabel *>(QStringLiteral("Vedelem"));
    const auto *unit = window.findChild<QLabel *>(QStringLiteral("Label4(0)"));
    QVERIFY(fordulat && vedelem && unit);
    QCOMPARE(fordulat->font().pointSizeF(), 21.75);
    QVERIFY(fordulat->font().bold());
    QCOMPARE(vedelem->font().pointSizeF(), 9.75);
    QVERIFY(vedelem->font().bold());
    QCOMPARE(unit->font().pointSizeF(), 20.25);
    QCOMPARE(fordulat->palette().color(QPalette::Window), QColor(0, 0, 0));
    QCOMPARE(fordulat->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QVERIFY(fordulat->alignment() & Qt::AlignRight);
    QVERIFY(vedelem->alignment() & Qt::AlignHCenter);
    // Self-sizing captions keep their place and show their whole text.
    QCOMPARE(unit->pos(), QPoint(116, 68));
    QVERIFY(unit->width() >= unit->fontMetrics().horizontalAdvance(unit->text()));
}

void TestSzamolo::tabVisitsTheControlsInTheirOrder()
{
    ModuleState state;
    Szamolo window(state);
    const QStringList expected { QStringLiteral("Seb(0)"), QStringLiteral("Seb(1)"),
        QStringLiteral("Seb(2)"), QStringLiteral("Encoder"), QStringLiteral("Oszto(0)"),
        QStringLiteral("Oszto(1)"), QStringLiteral("Szamitas") };
    QStringList visited;
    QWidget *widget = window.findChild<QWidget *>(expected.first());
    QVERIFY(widget);
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            visited << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget && visited.size() < expected.size());
    QCOMPARE(visited, expected);
}

QTEST_MAIN(TestSzamolo)
#include "tst_szamolo.moc"
