// The existence test: only ordinary files under exactly the asked name count.
#include "files/file_exists.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFileExists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void onlyOrdinaryFilesUnderTheirOwnNameExist_data();
    void onlyOrdinaryFilesUnderTheirOwnNameExist();

private:
    QTemporaryDir m_dir;
};

static void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

void TestFileExists::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString d = m_dir.path() + QLatin1Char('/');
    touch(d + "Tranziens.bmp");
    touch(d + ".hidden.bmp");
    touch(d + "readonly.bmp");
    QVERIFY(QFile::setPermissions(d + "readonly.bmp", QFile::ReadOwner));
    QVERIFY(QDir().mkpath(d + "folder.bmp"));
    QVERIFY(QDir().mkpath(d + ".cache"));
    touch(d + ".cache/inner.bmp");
    QCOMPARE(::mkfifo(QFile::encodeName(d + "fifo.bmp").constData(), 0600), 0);
    QVERIFY(QFile::link(d + "Tranziens.bmp", d + "link.bmp"));
    QVERIFY(QFile::link(d + "nowhere.bmp", d + "dangling.bmp"));
    QVERIFY(QFile::link(d + "folder.bmp", d + "linkdir.bmp"));
}

void TestFileExists::onlyOrdinaryFilesUnderTheirOwnNameExist_data()
{
    QTest::addColumn<QString>("fileName"); // relative to the fixture folder
    QTest::addColumn<QString>("fileTitle");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain file") << "Tranziens.bmp"
                                << "Tranziens.bmp" << true;
    QTest::newRow("read-only file") << "readonly.bmp"
                                    << "readonly.bmp" << true;
    QTest::newRow("file in a hidden folder") << ".cache/inner.bmp"
                                             << "inner.bmp" << true;
    QTest::newRow("link to a file") << "link.bmp"
                                    << "link.bmp" << true;
    QTest::newRow("hidden file") << ".hidden.bmp"
                                 << ".hidden.bmp" << false;
    QTest::newRow("folder") << "folder.bmp"
                            << "folder.bmp" << false;
    QTest::newRow("fifo") << "fifo.bmp"
                          << "fifo.bmp" << false;
    QTest::newRow("link to nowhere") << "dangling.bmp"
                                     << "dangling.bmp" << false;
    QTest::newRow("link to a folder") << "linkdir.bmp"
                                      << "linkdir.bmp" << false;
    QTest::newRow("missing") << "missing.bmp"
                             << "missing.bmp" << false;
    QTest::newRow("other letter case") << "tranziens.BMP"
                                       << "tranziens.BMP" << false;
    QTest::newRow("title of another name") << "Tranziens.bmp"
                                           << "Other.bmp" << false;
    QTest::newRow("title in other case") << "Tranziens.bmp"
                                         << "tranziens.bmp" << false;
    QTest::newRow("folder path only") << ""
                                      << "" << false;
}

void TestFileExists::onlyOrdinaryFilesUnderTheirOwnNameExist()
{
    QFETCH(QString, fileName);
    QFETCH(QString, fileTitle);
    QFETCH(bool, exists);
    QCOMPARE(FileExists(m_dir.filePath(fileName), fileTitle), exists);
}

QTEST_GUILESS_MAIN(TestFileExists)
#include "tst_file_exists.moc"
