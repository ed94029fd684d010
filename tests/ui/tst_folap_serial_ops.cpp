// The window's serial operations: the port list's handler, opening and closing, the report of a
// failed Start, and the CPU saver's profiles.
#include "folap_harness.h"

#include "ui/print_surface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QRegularExpression>

using Variant = Folap::Mode;

class TestFolapSerialOps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choosingAnotherPortStopsTheLink();
    void openPortReopensOnThePortNumber();
    void openPortReportsWhyThePortDidNotOpen_data();
    void openPortReportsWhyThePortDidNotOpen();
    void failedStartIsReported_data();
    void failedStartIsReported();
    void otherFailuresAreWrittenOneBelowTheOther();
    void cpuSaverAppliesTheProfileOfTheSelectedMode_data();
    void cpuSaverAppliesTheProfileOfTheSelectedMode();
};

void TestFolapSerialOps::choosingAnotherPortStopsTheLink()
{
    FolapHarness h;
    Folap &w = h.start();
    h.ports.next(1);
    w.setPortNumber(1);
    QCOMPARE(w.OpenPort(), SerialError::None);
    h.setBackColorOf(QStringLiteral("LED"), LampColor::Green);
    h.setBackColorOf(QStringLiteral("LED2"), LampColor::Green);

    h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(6);
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    QCOMPARE(h.backColor(QStringLiteral("LED2")), LampColor::Black);
    // The new choice counts from the next Start on.
    QCOMPARE(w.PortNumber(), quint8(1));
    QCOMPARE(h.ports.openings(7), 0);
}

void TestFolapSerialOps::openPortReopensOnThePortNumber()
{
    FolapHarness h;
    Folap &w = h.start();
    h.openPort(3);
    w.setPortNumber(5);
    h.ports.next(5);
    QCOMPARE(w.OpenPort(), SerialError::None);
    QCOMPARE(w.MSComm().CommPort(), 5);
    QVERIFY(w.MSComm().PortOpen());
    QCOMPARE(h.ports.current(3), nullptr); // closed and gone
    QVERIFY(h.ports.current(5)->isOpen());
    // The operations do not touch the profile.
    QCOMPARE(w.MSComm().InBufferSize(), 4100);
    QCOMPARE(w.ClosePort(), SerialError::None);
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(w.ClosePort(), SerialError::None); // closing a closed port does nothing
}

void TestFolapSerialOps::openPortReportsWhyThePortDidNotOpen_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<int>("openError"); // 0: the port names no device
    QTest::addColumn<int>("error");
    QTest::newRow("no selection gives port 0") << 0 << 0 << SerialError::InvalidPort;
    QTest::newRow("no device") << 200 << 0 << SerialError::InvalidPort;
    QTest::newRow("held by another program")
        << 255 << SerialError::PortInUse << SerialError::PortInUse;
    QTest::newRow("not allowed") << 2 << SerialError::PermissionDenied
                                 << SerialError::PermissionDenied;
}

void TestFolapSerialOps::openPortReportsWhyThePortDidNotOpen()
{
    QFETCH(int, portNumber);
    QFETCH(int, openError);
    QFETCH(int, error);
    FolapHarness h;
    Folap &w = h.start();
    if (openError)
        h.ports.next(portNumber)->failOpenWith(openError);
    h.openPort(9);
    w.setPortNumber(quint8(portNumber));
    QCOMPARE(w.OpenPort(), error);
    QVERIFY(!w.MSComm().PortOpen()); // the old port was closed first
}

void TestFolapSerialOps::failedStartIsReported_data()
{
    QTest::addColumn<Variant>("variant");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message"); // empty: written on the window instead
    QTest::addColumn<int>("selection");
    QTest::addColumn<quint32>("led2");
    QTest::addColumn<QString>("advice"); // what the line on stderr ends with after the number
    const int kept = 4;
    QTest::newRow("continuous, invalid port")
        << Variant::Continuous << 8002 << "Invalid Port Number! Please select another!" << -1
        << LampColor::Black << "";
    QTest::newRow("triggered, invalid port")
        << Variant::Triggered << 8002 << "Invalid Port Number! Please select anothert!" << -1
        << LampColor::Black << "";
    QTest::newRow("continuous, port used")
        << Variant::Continuous << 8005 << "This Port Used! Please select another!" << -1
        << LampColor::Black << "";
    QTest::newRow("triggered, port used")
        << Variant::Triggered << 8005 << "This Port Used! Please select anothert!" << -1
        << LampColor::Black << "";
    QTest::newRow("continuous, other")
        << Variant::Continuous << 8012 << "" << kept << LampColor::Black << "";
    QTest::newRow("triggered, other")
        << Variant::Triggered << 8015 << "" << kept << LampColor::Green << "";
    QTest::newRow("continuous, not allowed")
        << Variant::Continuous << 8010 << "" << kept << LampColor::Black
        << "; add yourself to the dialout group (sudo adduser $USER dialout) and log in again";
}

void TestFolapSerialOps::failedStartIsReported()
{
    QFETCH(Variant, variant);
    QFETCH(int, error);
    QFETCH(QString, message);
    QFETCH(int, selection);
    QFETCH(quint32, led2);
    QFETCH(QString, advice);
    FolapHarness h;
    Folap &w = h.start();
    auto *portok = h.control<QComboBox>(QStringLiteral("Portok"));
    portok->setCurrentIndex(4);
    w.setPortNumber(5);
    h.ports.next(5)->failOpenWith(error, QStringLiteral("Device or resource busy"));
    QCOMPARE(w.OpenPort(), error);
    h.setBackColorOf(QStringLiteral("LED"), LampColor::Green);
    h.setBackColorOf(QStringLiteral("LED2"), LampColor::Green);
    if (message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("Comm 5: Device or resource busy "
                                              "\\(error %1\\)%2$")
                                   .arg(error)
                                   .arg(QRegularExpression::escape(advice))));

    w.ReportStartFailure(variant, error);

    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    QCOMPARE(h.backColor(QStringLiteral("LED2")), led2);
    QCOMPARE(portok->currentIndex(), selection);
    QCOMPARE(w.PortNumber(), quint8(5));
    const QList<PrintSurface::PrintedText> &printed = w.surface()->printed();
    if (message.isEmpty()) {
        QVERIFY(h.prompts.messages.isEmpty());
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed.first().text, QString::number(error));
        QCOMPARE(printed.first().topLeft, QPoint(0, 0));
        // It is painted on the window's surface, not on the chart.
        const QImage shot = w.surface()->grab(QRect(0, 0, 40, 14)).toImage();
        const QColor background = w.surface()->palette().color(QPalette::Window);
        bool inked = false;
        for (int y = 0; y < shot.height() && !inked; ++y)
            for (int x = 0; x < shot.width() && !inked; ++x)
                inked = shot.pixelColor(x, y) != background;
        QVERIFY(inked);
        return;
    }
    QVERIFY(printed.isEmpty());
    QCOMPARE(h.prompts.messages.size(), 1);
    QCOMPARE(h.prompts.messages.first().text, message);
    QCOMPARE(h.prompts.messages.first().icon, UserPrompts::Icon::Critical);
    QCOMPARE(h.prompts.messages.first().buttons, UserPrompts::Buttons::Ok);
}

void TestFolapSerialOps::otherFailuresAreWrittenOneBelowTheOther()
{
    FolapHarness h;
    Folap &w = h.start();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("error 8012")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("error 8015")));
    w.ReportStartFailure(Variant::Triggered, 8012);
    w.ReportStartFailure(Variant::Continuous, 8015);
    const QList<PrintSurface::PrintedText> &printed = w.surface()->printed();
    QCOMPARE(printed.size(), 2);
    QCOMPARE(printed[1].text, QStringLiteral("8015"));
    QCOMPARE(printed[1].topLeft.x(), printed[0].topLeft.x());
    QVERIFY(printed[1].topLeft.y() >= printed[0].topLeft.y() + w.surface()->fontMetrics().height());
}

void TestFolapSerialOps::cpuSaverAppliesTheProfileOfTheSelectedMode_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<int>("minta");
    QTest::addColumn<bool>("rts");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("inputLen");
    QTest::addColumn<quint32>("led2"); // the lamp was green before the change
    QTest::newRow("triggered, saver on")
        << true << true << 31 << true << 12000 << 4000 << 1 << LampColor::Green;
    QTest::newRow("triggered, saver off")
        << true << false << 2 << true << 12000 << 4000 << 1 << LampColor::Green;
    QTest::newRow("continuous, saver on")
        << false << true << 31 << false << 4000 << 31 << 31 << LampColor::Black;
    QTest::newRow("continuous, saver off")
        << false << false << 2 << false << 4000 << 2 << 2 << LampColor::Black;
}

void TestFolapSerialOps::cpuSaverAppliesTheProfileOfTheSelectedMode()
{
    QFETCH(bool, triggered);
    QFETCH(bool, saver);
    QFETCH(int, minta);
    QFETCH(bool, rts);
    QFETCH(int, bufferSize);
    QFETCH(int, threshold);
    QFETCH(int, inputLen);
    QFETCH(quint32, led2);
    // Start with the box in the other state, so that setting it is a change.
    FolapHarness h(saver ? QByteArray("Minta=2\n") : QByteArray());
    Folap &w = h.start();
    h.control<QRadioButton>(triggered ? QStringLiteral("Triger") : QStringLiteral("Foly"))
        ->setChecked(true);
    h.openPort(2);
    h.setBackColorOf(QStringLiteral("LED"), LampColor::Green);
    h.setBackColorOf(QStringLiteral("LED2"), LampColor::Green);

    h.control<QCheckBox>(QStringLiteral("Csok"))->setChecked(saver);

    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(int(h.window->session().MintaSetting()), minta);
    QCOMPARE(w.MSComm().RTSEnable(), rts);
    QCOMPARE(w.MSComm().InBufferSize(), bufferSize);
    QCOMPARE(w.MSComm().RThreshold(), threshold);
    QCOMPARE(w.MSComm().InputLen(), inputLen);
    QCOMPARE(h.backColor(QStringLiteral("LED")), LampColor::Red);
    QCOMPARE(h.backColor(QStringLiteral("LED2")), led2);
}

QTEST_MAIN(TestFolapSerialOps)
#include "tst_folap_serial_ops.moc"
