// The texts of the bitmap file operations, exactly as the user sees them.
#include "files/file_errors.h"
#include "files/file_messages.h"

#include <QTest>

class TestFileMessages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void questionsNameTheFileBetweenQuotes_data();
    void questionsNameTheFileBetweenQuotes();
    void errorNumbersBecomeTheirMessage_data();
    void errorNumbersBecomeTheirMessage();
};

void TestFileMessages::questionsNameTheFileBetweenQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("overwrite") << OverwriteQuestion("Tranziens.bmp")
                               << "'Tranziens.bmp' this exist!\r\nOver write?";
    QTest::newRow("not exist") << NotExistMessage("Tranziens.bmp")
                               << "'Tranziens.bmp' not exist!\r\nPlease change file name!";
}

void TestFileMessages::questionsNameTheFileBetweenQuotes()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestFileMessages::errorNumbersBecomeTheirMessage_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("success") << kFileOk << false << QString();
    QTest::newRow("cancelled") << kCancelError << false << QString();
    QTest::newRow("access") << kFileAccessError << true << "Drive Problem ! No Write in Drive.";
    QTest::newRow("not found") << kFileNotFound << true
                               << "Eror in File funktions ! Error Code: 53";
    QTest::newRow("invalid picture")
        << kInvalidPicture << true << "Eror in File funktions ! Error Code: 481";
}

void TestFileMessages::errorNumbersBecomeTheirMessage()
{
    QFETCH(int, error);
    QFETCH(bool, shown);
    QFETCH(QString, text);
    const std::optional<QString> message = FileErrorMessage(error);
    QCOMPARE(message.has_value(), shown);
    if (shown)
        QCOMPARE(*message, text);
}

QTEST_GUILESS_MAIN(TestFileMessages)
#include "tst_file_messages.moc"
