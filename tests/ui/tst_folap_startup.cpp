// The main window as it opens: design state, layout, start-up from the stored settings, the
// About box.
#include "core/app_version.h"
#include "folap_harness.h"

#include "ui/chart_surface.h"
#include "ui/print_surface.h"
#include "ui/vertical_gauge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

class TestFolapStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstRunSelectsTheFirstPortWithTheSaverOn();
    void storedSettingsChooseThePortAndTheSaver_data();
    void storedSettingsChooseThePortAndTheSaver();
    void portEntriesNameTheirDevices();
    void controlsStartInTheirDesignState();
    void swatchesAndLampsShowTheirColours_data();
    void swatchesAndLampsShowTheirColours();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void captionsTooltipsAndFonts_data();
    void captionsTooltipsAndFonts();
    void scaleLabelsSizeThemselvesToTheirText();
    void saveButtonIsDrawnAboveThePictureFrame();
    void windowHasAFixedClientAreaUnderTheMenu();
    void toolsMenuOffersTheCalculatorTheAnalysisTheLiveChartAndTheAboutBox();
    void aboutBoxNamesTheProgramAndItsNeeds();
    void calculatorOpensModallyOverTheWindow();
};

void TestFolapStartup::firstRunSelectsTheFirstPortWithTheSaverOn()
{
    FolapHarness h;
    h.state.PenColor = 0xFF00FF;
    Folap &w = h.start();

    // Each part of the version as NumberText writes it, with its blank.
    QCOMPARE(w.windowTitle(),
        QStringLiteral("Velmora Servo Monitor V %1. %2. %3")
            .arg(kVersionMajor)
            .arg(kVersionMinor)
            .arg(kVersionPatch));
    auto *portok = h.control<QComboBox>(QStringLiteral("Portok"));
    QCOMPARE(portok->count(), 255);
    QCOMPARE(portok->itemText(0), QStringLiteral("Comm  1"));
    QCOMPARE(portok->itemText(9), QStringLiteral("Comm  10"));
    QCOMPARE(portok->itemText(254), QStringLiteral("Comm  255"));
    QCOMPARE(portok->currentIndex(), 0);
    QVERIFY(h.control<QCheckBox>(QStringLiteral("Csok"))->isChecked());
    QCOMPARE(h.window->session().MintaSetting(), quint8(31));
    QCOMPARE(h.state.PenColor, 0u);

    SerialControl &comm = w.MSComm();
    QCOMPARE(comm.objectName(), QStringLiteral("MSComm"));
    QVERIFY(!comm.PortOpen());
    QCOMPARE(comm.RTSEnable(), true);
    QCOMPARE(comm.InBufferSize(), 4100);
    QCOMPARE(comm.RThreshold(), 2000);
    QCOMPARE(comm.InputLen(), 1);
    QCOMPARE(comm.NullDiscard(), false);
    QCOMPARE(w.Rajz()->DrawWidth(), 2);
    QCOMPARE(w.PortNumber(), quint8(0));
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Black);
    QCOMPARE(h.ports.openings(1), 0);
}

void TestFolapStartup::storedSettingsChooseThePortAndTheSaver_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<int>("minta");
    QTest::newRow("saver off") << QByteArray("Minta=\" 2\"\n") << 0 << false << 2;
    QTest::newRow("saver on") << QByteArray("Minta=\" 31\"\n") << 0 << true << 31;
    QTest::newRow("other sample setting") << QByteArray("Minta=\" 7\"\n") << 0 << true << 31;
    QTest::newRow("zero sample setting") << QByteArray("Minta=0\n") << 0 << true << 31;
    QTest::newRow("sample setting beyond a byte") << QByteArray("Minta=300\n") << 0 << true << 31;
    QTest::newRow("fifth port") << QByteArray("Port=\" 4\"\n") << 4 << true << 31;
    QTest::newRow("half to even below") << QByteArray("Port=2.5\n") << 2 << true << 31;
    QTest::newRow("half to even above") << QByteArray("Port=3.5\n") << 4 << true << 31;
    QTest::newRow("no selection") << QByteArray("Port=-1\nMinta=\" 2\"\n") << -1 << false << 2;
    QTest::newRow("garbage") << QByteArray("Port=abc\nMinta=xyz\n") << 0 << true << 31;
    QTest::newRow("past the list") << QByteArray("Port=400\n") << 0 << true << 31;
}

void TestFolapStartup::storedSettingsChooseThePortAndTheSaver()
{
    QFETCH(QByteArray, setup);
    QFETCH(int, index);
    QFETCH(bool, saver);
    QFETCH(int, minta);
    FolapHarness h(setup);
    Folap &w = h.start();
    QCOMPARE(h.control<QComboBox>(QStringLiteral("Portok"))->currentIndex(), index);
    QCOMPARE(h.control<QCheckBox>(QStringLiteral("Csok"))->isChecked(), saver);
    QCOMPARE(int(h.window->session().MintaSetting()), minta);
    // Whatever the saver did on the way, start-up ends on its own profile.
    QCOMPARE(w.MSComm().RTSEnable(), true);
    QCOMPARE(w.MSComm().InBufferSize(), 4100);
    QCOMPARE(w.MSComm().RThreshold(), 2000);
    QCOMPARE(w.MSComm().InputLen(), 1);
    QVERIFY(!w.MSComm().PortOpen());
}

void TestFolapStartup::portEntriesNameTheirDevices()
{
    FolapHarness h;
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("ttyUSB7"));
    h.portMap.setDevice(3, node);
    h.start();
    auto *portok = h.control<QComboBox>(QStringLiteral("Portok"));
    const auto tip = [portok](int k) { return portok->itemData(k, Qt::ToolTipRole).toString(); };
    for (int k : { 0, 2, 100, 254 })
        QVERIFY2(tip(k).startsWith(h.portMap.describe(k + 1)), qPrintable(tip(k)));
    QCOMPARE(tip(2), "Communications Port: " + node + "\nnot present");

    // Plugged in while the window is open: the tooltip says so once the list is opened.
    QFile plugged(node);
    QVERIFY(plugged.open(QIODevice::WriteOnly));
    QCOMPARE(tip(2), "Communications Port: " + node + "\nnot present");
    h.window->show();
    portok->showPopup();
    QCOMPARE(tip(2), "Communications Port: " + node + "\npresent, no adapter details");
    portok->hidePopup();
}

void TestFolapStartup::controlsStartInTheirDesignState()
{
    FolapHarness h;
    h.start();
    QVERIFY(h.control<QRadioButton>(QStringLiteral("Triger"))->isChecked());
    QVERIFY(!h.control<QRadioButton>(QStringLiteral("Foly"))->isChecked());
    QVERIFY(h.control<QRadioButton>(QStringLiteral("Szin(0)"))->isChecked());
    for (const char *other : { "Szin(1)", "Szin(2)", "Szin(3)" })
        QVERIFY(!h.control<QRadioButton>(QLatin1String(other))->isChecked());
    QVERIFY(h.control<QCheckBox>(QStringLiteral("Torles"))->isChecked());
    QCOMPARE(h.control<QLabel>(QStringLiteral("Ertek"))->text(), QStringLiteral("+0"));

    for (const char *name : { "Pozitivbar", "Negativbar" }) {
        auto *bar = h.control<VerticalGauge>(QLatin1String(name));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 255);
        QCOMPARE(bar->value(), 0);
        bar->setValue(300); // beyond the range: refused
        QCOMPARE(bar->value(), 0);
    }
    auto *csuszka = h.control<QScrollBar>(QStringLiteral("Csuszka"));
    QCOMPARE(csuszka->orientation(), Qt::Horizontal);
    QCOMPARE(csuszka->minimum(), 0);
    QCOMPARE(csuszka->maximum(), 2100);
    QCOMPARE(csuszka->value(), 0);
    csuszka->setValue(5000);
    QCOMPARE(csuszka->value(), 2100);

    for (const char *name :
        { "TStart", "TMegse", "FStart", "FStop", "Torlesgomb", "Betolt", "Mentes" })
        QVERIFY(h.control<QPushButton>(QLatin1String(name))->isEnabled());
}

void TestFolapStartup::swatchesAndLampsShowTheirColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("background");
    QTest::newRow("black swatch") << "Szin(0)" << 0x000000u;
    QTest::newRow("red swatch") << "Szin(1)" << 0x0000FFu;
    QTest::newRow("cyan swatch") << "Szin(2)" << 0xFFFF00u;
    QTest::newRow("magenta swatch") << "Szin(3)" << 0xFF00FFu;
    QTest::newRow("run lamp") << "LED" << 0x0000FFu;
    QTest::newRow("over-spin lamp") << "LED2" << 0x000000u;
    QTest::newRow("read-out") << "Ertek" << 0x000000u;
}

void TestFolapStartup::swatchesAndLampsShowTheirColours()
{
    QFETCH(QString, name);
    QFETCH(quint32, background);
    FolapHarness h;
    h.start();
    QWidget *widget = h.control<QWidget>(name);
    QVERIFY(widget->autoFillBackground());
    for (auto group : { QPalette::Active, QPalette::Inactive })
        QCOMPARE(bgrFromColor(widget->palette().color(group, QPalette::Window)), background);
    // And it is what is painted.
    const QImage shot = widget->grab().toImage();
    QCOMPARE(bgrFromColor(shot.pixelColor(shot.width() / 2, 2)), background);
}

void TestFolapStartup::controlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Portok") << "Portok"
                            << "surface" << QRect(8, 16, 81, 21);
    QTest::newRow("LED2") << "LED2"
                          << "surface" << QRect(249, 18, 67, 17);
    QTest::newRow("Rajz") << "Rajz"
                          << "surface" << QRect(8, 56, 602, 512);
    QTest::newRow("Csuszka") << "Csuszka"
                             << "surface" << QRect(8, 572, 601, 21);
    QTest::newRow("Frame1") << "Frame1"
                            << "surface" << QRect(624, 48, 185, 173);
    QTest::newRow("Mentes") << "Mentes"
                            << "surface" << QRect(752, 548, 49, 25);
    QTest::newRow("Triger") << "Triger"
                            << "Frame1" << QRect(8, 16, 173, 25);
    QTest::newRow("Csok") << "Csok"
                          << "Frame1" << QRect(12, 152, 113, 13);
    QTest::newRow("Szin(3)") << "Szin(3)"
                             << "Frame2" << QRect(4, 84, 41, 17);
    QTest::newRow("Line1(4)") << "Line1(4)"
                              << "surface" << QRect(664, 340, 25, 1);
}

void TestFolapStartup::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    FolapHarness h;
    h.start();
    QWidget *widget = h.control<QWidget>(name);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
}

void TestFolapStartup::captionsTooltipsAndFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("family"); // empty: the default font
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    const QString none;
    QTest::newRow("LED2") << "LED2"
                          << " Over spin! "
                          << "Watch in Continuous mode for Over Spins!"
                          << "Arial" << 9.0 << true << false;
    QTest::newRow("Label2") << "Label2"
                            << "Velmora CNC Servo Monitor" << none << "Times New Roman" << 20.25
                            << true << true;
    QTest::newRow("Label1(1)") << "Label1(1)"
                               << "Deviation:" << none << "MS Sans Serif" << 9.75 << false << false;
    QTest::newRow("Ertek") << "Ertek"
                           << "+0"
                           << "Deviation of Mechanikal"
                           << "Arial" << 18.75 << false << false;
    QTest::newRow("Label5(0)") << "Label5(0)"
                               << ">255" << none << "" << 0.0 << false << false;
    QTest::newRow("Triger") << "Triger"
                            << "Triggered   [Limit=20 Step]:"
                            << "Start for recorder"
                            << "" << 0.0 << false << false;
    QTest::newRow("Csok") << "Csok"
                          << "CPU Saver Mode"
                          << "Reduce Sample mode"
                          << "" << 0.0 << false << false;
    QTest::newRow("Frame2") << "Frame2"
                            << "Transiens picture:" << none << "" << 0.0 << false << false;
    QTest::newRow("Portok") << "Portok"
                            << ""
                            << "Communications Port"
                            << "" << 0.0 << false << false;
    QTest::newRow("Rajz") << "Rajz"
                          << ""
                          << "Transiens. Use slide for magnifying!"
                          << "" << 0.0 << false << false;
}

void TestFolapStartup::captionsTooltipsAndFonts()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    FolapHarness h;
    h.start();
    QWidget *widget = h.control<QWidget>(name);
    QString text;
    if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        text = button->text();
    else if (auto *frame = qobject_cast<QGroupBox *>(widget))
        text = frame->title();
    QCOMPARE(text, caption);
    QCOMPARE(widget->toolTip(), tooltip);
    if (family.isEmpty()) {
        QCOMPARE(widget->font(), h.window->font());
        return;
    }
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    QCOMPARE(widget->font().italic(), italic);
}

void TestFolapStartup::scaleLabelsSizeThemselvesToTheirText()
{
    FolapHarness h;
    h.start();
    for (const char *name : { "Label7", "Label2", "Label6", "Label1(0)", "Label1(1)", "Label1(2)",
             "Label3(0)", "Label3(1)", "Label5(0)", "Label5(1)", "Label4" }) {
        auto *label = h.control<QLabel>(QLatin1String(name));
        QCOMPARE(label->size(), label->sizeHint());
    }
    // They grow or shrink from their top-left corner.
    QCOMPARE(h.control<QLabel>(QStringLiteral("Label2"))->pos(), QPoint(480, 11));
    QCOMPARE(h.control<QLabel>(QStringLiteral("Label4"))->pos(), QPoint(712, 416));
}

void TestFolapStartup::saveButtonIsDrawnAboveThePictureFrame()
{
    FolapHarness h;
    h.start();
    QWidget *surface = h.window->surface();
    auto *mentes = h.control<QPushButton>(QStringLiteral("Mentes"));
    auto *frame2 = h.control<QGroupBox>(QStringLiteral("Frame2"));
    QVERIFY(frame2->geometry().contains(mentes->geometry()));
    const QObjectList &stack = surface->children(); // bottom to top
    QVERIFY(stack.indexOf(mentes) > stack.indexOf(frame2));
    QCOMPARE(surface->childAt(mentes->geometry().center()), mentes);
}

void TestFolapStartup::windowHasAFixedClientAreaUnderTheMenu()
{
    FolapHarness h;
    Folap &w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.centralWidget(), w.surface());
    QCOMPARE(w.surface()->size(), QSize(817, 607));
    QCOMPARE(w.surface()->y(), w.menuBar()->height());
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), QSize(817, 607 + w.menuBar()->height()));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!w.windowIcon().isNull());
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(16, 16)));
}

void TestFolapStartup::toolsMenuOffersTheCalculatorTheAnalysisTheLiveChartAndTheAboutBox()
{
    FolapHarness h;
    Folap &w = h.start();
    const QList<QAction *> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QMenu *szam = menus.first()->menu();
    QCOMPARE(szam->objectName(), QStringLiteral("Szam"));
    QCOMPARE(szam->title(), QStringLiteral("Tools"));
    const QList<QAction *> items = szam->actions();
    QCOMPARE(items.size(), 6);
    QCOMPARE(items[0]->objectName(), QStringLiteral("Ford"));
    QCOMPARE(items[0]->text(), QStringLiteral("Revolutions (rpm)"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("Analysis"));
    QCOMPARE(items[1]->text(), QStringLiteral("Transient analysis..."));
    QCOMPARE(items[2]->objectName(), QStringLiteral("LiveChart"));
    QCOMPARE(items[2]->text(), QStringLiteral("Live chart..."));
    QCOMPARE(items[3]->objectName(), QStringLiteral("Reconnect"));
    QCOMPARE(items[3]->text(), QStringLiteral("Reconnect automatically"));
    QVERIFY(items[3]->isCheckable());
    QVERIFY(!items[3]->isChecked());
    QCOMPARE(items[4]->objectName(), QStringLiteral("vonal"));
    QVERIFY(items[4]->isSeparator());
    QCOMPARE(items[5]->objectName(), QStringLiteral("Nev"));
    QCOMPARE(items[5]->text(), QStringLiteral("About"));
}

void TestFolapStartup::aboutBoxNamesTheProgramAndItsNeeds()
{
    FolapHarness h;
    h.start();
    h.window->findChild<QAction *>(QStringLiteral("Nev"))->trigger();
    QCOMPARE(h.prompts.messages.size(), 1);
    const ScriptedPrompts::Message &box = h.prompts.messages.first();
    QCOMPARE(box.icon, UserPrompts::Icon::Information);
    QCOMPARE(box.buttons, UserPrompts::Buttons::Ok);
    const QStringList lines = box.text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("Velmora Servo Monitor"));
    QCOMPARE(lines[1], QStringLiteral("Minimum DSP V1.2 and PID V1.2 needed."));
    QVERIFY(lines[2].contains(QRegularExpression(QStringLiteral("\\b(19|20)\\d\\d\\b"))));
    QVERIFY(lines[2].contains(QLatin1String("www.")));
}

void TestFolapStartup::calculatorOpensModallyOverTheWindow()
{
    FolapHarness h;
    Folap &w = h.start();
    w.show();
    QString title;
    QWidget *parent = nullptr;
    QTimer::singleShot(0, &w, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QWidget *calculator = QApplication::activeModalWidget();
        title = calculator->windowTitle();
        parent = calculator->parentWidget();
        calculator->close();
    });
    w.findChild<QAction *>(QStringLiteral("Ford"))->trigger();
    QCOMPARE(title, QStringLiteral("Rotate Calculation"));
    QCOMPARE(parent, &w);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TestFolapStartup)
#include "tst_folap_startup.moc"
