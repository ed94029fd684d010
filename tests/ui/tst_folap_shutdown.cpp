// Closing the main window: the port is closed first, then the selection and the sample setting
// are stored.
#include "folap_harness.h"

#include <QCheckBox>
#include <QComboBox>

class TestFolapShutdown : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void closingStoresTheSelectionAndTheSampleSetting_data();
    void closingStoresTheSelectionAndTheSampleSetting();
    void closingAnOpenPortClosesItBeforeStoring();
    void settingsAreNotStoredWithoutClosing();
};

void TestFolapShutdown::closingStoresTheSelectionAndTheSampleSetting_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("saver");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("minta");
    QTest::newRow("tenth entry, saver off") << QByteArray() << 9 << false << " 9"
                                            << " 2";
    QTest::newRow("no selection") << QByteArray() << -1 << true << "-1"
                                  << " 31";
    QTest::newRow("last entry") << QByteArray() << 254 << true << " 254"
                                << " 31";
    QTest::newRow("stored 10 is stored back as 31") << QByteArray("Minta=10\n") << 0 << true << " 0"
                                                    << " 31";
    QTest::newRow("saver turned on") << QByteArray("Minta=\" 2\"\n") << 3 << true << " 3"
                                     << " 31";
}

void TestFolapShutdown::closingStoresTheSelectionAndTheSampleSetting()
{
    QFETCH(QByteArray, setup);
    QFETCH(int, index);
    QFETCH(bool, saver);
    QFETCH(QString, port);
    QFETCH(QString, minta);
    FolapHarness h(setup);
    Folap &w = h.start();
    h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(index);
    h.control<QCheckBox>(QStringLiteral("Csok"))->setChecked(saver);
    QVERIFY(w.close());
    QCOMPARE(h.stored(QStringLiteral("Port")), port);
    QCOMPARE(h.stored(QStringLiteral("Minta")), minta);
}

// Notes what the settings file held for "Port" when the port closed.
class ClosingWitness : public FakeSerialDevice
{
public:
    ClosingWitness(const FolapHarness &harness, QString *storedWhenClosed)
        : m_harness(harness)
        , m_storedWhenClosed(storedWhenClosed)
    {
    }
    void close() override
    {
        if (isOpen())
            *m_storedWhenClosed = m_harness.stored(QStringLiteral("Port"));
        FakeSerialDevice::close();
    }

private:
    const FolapHarness &m_harness;
    QString *m_storedWhenClosed;
};

void TestFolapShutdown::closingAnOpenPortClosesItBeforeStoring()
{
    FolapHarness h;
    QString storedWhenClosed = QStringLiteral("<not closed>");
    Folap &w = h.start(
        [&](int, int *) { return std::make_unique<ClosingWitness>(h, &storedWhenClosed); });
    w.setPortNumber(4);
    QCOMPARE(w.OpenPort(), SerialError::None);
    QVERIFY(w.MSComm().PortOpen());

    QVERIFY(w.close());
    QVERIFY(!w.MSComm().PortOpen());
    QCOMPARE(storedWhenClosed, QStringLiteral("<missing>"));
    QCOMPARE(h.stored(QStringLiteral("Port")), QStringLiteral(" 0"));
    QCOMPARE(h.stored(QStringLiteral("Minta")), QStringLiteral(" 31"));
}

void TestFolapShutdown::settingsAreNotStoredWithoutClosing()
{
    FolapHarness h;
    h.start();
    h.control<QComboBox>(QStringLiteral("Portok"))->setCurrentIndex(7);
    h.window.reset();
    QCOMPARE(h.stored(QStringLiteral("Port")), QStringLiteral("<missing>"));
}

QTEST_MAIN(TestFolapShutdown)
#include "tst_folap_shutdown.moc"
