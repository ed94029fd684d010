// The persisted settings: how stored texts become a port selection, a sample setting, the
// Reconnect option and the live chart's span and history, and how they are written back.
#include "core/stored_settings.h"

#include "temp_config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestStoredSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void portIsReadAsARoundedSelectionIndex_data();
    void portIsReadAsARoundedSelectionIndex();
    void mintaIsReadAsARoundedByte_data();
    void mintaIsReadAsARoundedByte();
    void valuesAreWrittenAsNumberTextToTheExecutablesIniFile_data();
    void valuesAreWrittenAsNumberTextToTheExecutablesIniFile();
    void reconnectIsAnOptionOffUnlessTrue_data();
    void reconnectIsAnOptionOffUnlessTrue();
    void liveChartOptionsFallBackToTheirDefaults_data();
    void liveChartOptionsFallBackToTheirDefaults();
    void aFileThatCannotBeWrittenIsNamed_data();
    void aFileThatCannotBeWrittenIsNamed();

private:
    std::unique_ptr<TempConfig> m_config;
};

namespace {
const QString kApp = QStringLiteral("velmora-monitor");
const QString kMissing = QStringLiteral("<missing>");

void store(const QString &key, const QString &text)
{
    if (text == kMissing)
        return;
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kApp, kApp);
    settings.setValue(QStringLiteral("Setup/") + key, text);
}
} // namespace

void TestStoredSettings::init()
{
    // One store at a time: a TempConfig restores the previous location when it goes.
    m_config.reset();
    m_config = std::make_unique<TempConfig>();
}

void TestStoredSettings::portIsReadAsARoundedSelectionIndex_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("missing") << kMissing << 0;
    QTest::newRow("written form") << " 4" << 4;
    QTest::newRow("half rounds down to even") << "2.5" << 2;
    QTest::newRow("half rounds up to even") << "3.5" << 4;
    QTest::newRow("above half") << "2.51" << 3;
    QTest::newRow("no selection") << "-1" << -1;
    QTest::newRow("last entry") << " 254" << 254;
    QTest::newRow("garbage") << "Comm" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("number then garbage") << "7x" << 7;
    QTest::newRow("too large") << "1e9" << 0;
    QTest::newRow("beyond double") << "1e400" << 0;
    QTest::newRow("inf is not a number") << "inf" << 0;
    QTest::newRow("nan is not a number") << "nan" << 0;
    QTest::newRow("one past the list") << "255" << 0;
    QTest::newRow("below no selection") << "-2" << 0;
    QTest::newRow("rounds to no selection") << "-1.4" << -1;
    QTest::newRow("rounds below no selection") << "-1.6" << 0;
}

void TestStoredSettings::portIsReadAsARoundedSelectionIndex()
{
    QFETCH(QString, stored);
    QFETCH(int, index);
    store(QStringLiteral("Port"), stored);
    QCOMPARE(StoredSettings(kApp).readPort(), index);
}

void TestStoredSettings::mintaIsReadAsARoundedByte_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("value");
    QTest::newRow("missing") << kMissing << 31;
    QTest::newRow("saver off") << " 2" << 2;
    QTest::newRow("saver on") << " 31" << 31;
    QTest::newRow("other") << " 7" << 7;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("largest byte") << "255" << 255;
    QTest::newRow("beyond a byte") << "256" << 31;
    QTest::newRow("half rounds to even") << "2.5" << 2;
    QTest::newRow("negative") << "-1" << 31;
    QTest::newRow("garbage") << "abc" << 0;
    QTest::newRow("beyond double") << "-1e400" << 31;
}

void TestStoredSettings::mintaIsReadAsARoundedByte()
{
    QFETCH(QString, stored);
    QFETCH(int, value);
    store(QStringLiteral("Minta"), stored);
    QCOMPARE(StoredSettings(kApp).readMinta(), value);
}

void TestStoredSettings::valuesAreWrittenAsNumberTextToTheExecutablesIniFile_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("minta");
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("mintaText");
    QTest::newRow("tenth entry, saver off") << 9 << 2 << " 9"
                                            << " 2";
    QTest::newRow("no selection, saver on") << -1 << 31 << "-1"
                                            << " 31";
    QTest::newRow("last entry") << 254 << 31 << " 254"
                                << " 31";
}

void TestStoredSettings::valuesAreWrittenAsNumberTextToTheExecutablesIniFile()
{
    QFETCH(int, port);
    QFETCH(int, minta);
    QFETCH(QString, portText);
    QFETCH(QString, mintaText);
    {
        StoredSettings settings(kApp);
        settings.writePort(port);
        settings.writeMinta(minta);
    }
    QVERIFY(QFile::exists(m_config->iniFile(kApp)));
    QSettings file(m_config->iniFile(kApp), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), QStringList { QStringLiteral("Setup") });
    QCOMPARE(file.value(QStringLiteral("Setup/Port")).toString(), portText);
    QCOMPARE(file.value(QStringLiteral("Setup/Minta")).toString(), mintaText);

    StoredSettings again(kApp);
    QCOMPARE(again.readPort(), port);
    QCOMPARE(again.readMinta(), minta);
}

void TestStoredSettings::reconnectIsAnOptionOffUnlessTrue_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("missing") << kMissing << false;
    QTest::newRow("true") << "true" << true;
    QTest::newRow("false") << "false" << false;
    QTest::newRow("any case, blanks") << " True " << true;
    QTest::newRow("a number") << "1" << false;
    QTest::newRow("garbage") << "yes" << false;
}

void TestStoredSettings::reconnectIsAnOptionOffUnlessTrue()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    if (stored != kMissing)
        QSettings(QSettings::IniFormat, QSettings::UserScope, kApp, kApp)
            .setValue(QStringLiteral("Options/Reconnect"), stored);
    {
        StoredSettings settings(kApp);
        QCOMPARE(settings.readReconnect(), on);
        settings.writePort(9);
        settings.writeMinta(2);
        settings.writeReconnect(on);
    }
    QFile file(m_config->iniFile(kApp));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QByteArray options = on ? "[Options]\nReconnect=true\n" : "[Options]\nReconnect=false\n";
    QVERIFY2(text.contains(options), text.constData());
    QVERIFY2(text.contains("[Setup]\nMinta=\" 2\"\nPort=\" 9\"\n"), text.constData());
}

void TestStoredSettings::liveChartOptionsFallBackToTheirDefaults_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("value");
    QTest::newRow("span missing") << "LiveSpanMs" << kMissing << 2000;
    QTest::newRow("shortest span") << "LiveSpanMs"
                                   << "500" << 500;
    QTest::newRow("longest span") << "LiveSpanMs"
                                  << "60000" << 60000;
    QTest::newRow("a span the chart has not") << "LiveSpanMs"
                                              << "3000" << 2000;
    QTest::newRow("span garbage") << "LiveSpanMs"
                                  << "2 s" << 2000;
    QTest::newRow("history missing") << "LiveHistoryMinutes" << kMissing << 10;
    QTest::newRow("shortest history") << "LiveHistoryMinutes"
                                      << "1" << 1;
    QTest::newRow("longest history") << "LiveHistoryMinutes"
                                     << "60" << 60;
    QTest::newRow("no history") << "LiveHistoryMinutes"
                                << "0" << 10;
    QTest::newRow("history beyond an hour") << "LiveHistoryMinutes"
                                            << "61" << 10;
    QTest::newRow("history garbage") << "LiveHistoryMinutes"
                                     << "ten" << 10;
}

void TestStoredSettings::liveChartOptionsFallBackToTheirDefaults()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(int, value);
    if (stored != kMissing)
        QSettings(QSettings::IniFormat, QSettings::UserScope, kApp, kApp)
            .setValue(QStringLiteral("Options/") + key, stored);
    StoredSettings settings(kApp);
    const bool span = key == QLatin1String("LiveSpanMs");
    QCOMPARE(span ? settings.readLiveSpanMs() : settings.readLiveHistoryMinutes(), value);
    if (!span)
        return;
    settings.writeLiveSpanMs(30000);
    QCOMPARE(settings.save(), QString());
    QCOMPARE(StoredSettings(kApp).readLiveSpanMs(), 30000);
}

void TestStoredSettings::aFileThatCannotBeWrittenIsNamed_data()
{
    QTest::addColumn<bool>("folderIsAFile"); // else the settings file is a folder
    QTest::newRow("the settings folder cannot be made") << true;
    QTest::newRow("the settings file cannot be replaced") << false;
}

// Both blockers hold for root as well, which a read-only folder would not.
void TestStoredSettings::aFileThatCannotBeWrittenIsNamed()
{
    QFETCH(bool, folderIsAFile);
    const QString folder = QFileInfo(m_config->iniFile(kApp)).path();
    if (folderIsAFile) {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(m_config->iniFile(kApp)));
    }
    StoredSettings settings(kApp);
    settings.writePort(3);
    QCOMPARE(settings.save(),
        QStringLiteral("settings not saved: cannot write ") + m_config->iniFile(kApp));
}

QTEST_GUILESS_MAIN(TestStoredSettings)
#include "tst_stored_settings.moc"
