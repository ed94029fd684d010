// The main window's Save and Load buttons: the dialogs they ask, the questions and messages they
// show, and the chart they write and read back, on real files in a temporary folder.
#include "folap_harness.h"

#include "files/common_dialog.h"
#include "ui/chart_surface.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

using Kind = FileDialogRequest::Kind;
using Icon = UserPrompts::Icon;
using Buttons = UserPrompts::Buttons;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A chart-sized picture that is nothing like the chart artwork.
QImage plainPicture(QColor colour)
{
    QImage picture(ChartSurface::kWidth, ChartSurface::kHeight, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

} // namespace

class TestFolapTransientFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void dialogsAreSetUpAfreshOnEveryClick_data();
    void dialogsAreSetUpAfreshOnEveryClick();
    void cancelledDialogChangesNothing_data();
    void cancelledDialogChangesNothing();
    void savedChartLoadsBackPixelForPixel();
    void overwriteQuestionDecidesWhetherTheFileIsReplaced_data();
    void overwriteQuestionDecidesWhetherTheFileIsReplaced();
    void loadingANameThatIsNoFileSaysSo_data();
    void loadingANameThatIsNoFileSaysSo();
    void failedFileOperationsAreReportedByNumber_data();
    void failedFileOperationsAreReportedByNumber();
    void loadedPictureStaysUnderClearingAndDrawing();

private:
    QPushButton *button(const char *name) const
    {
        return m_h->control<QPushButton>(QLatin1String(name));
    }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // A curve on the chart, so that a saved file is more than the artwork.
    void drawCurve()
    {
        for (int i = 1; i <= 1200; i += 2) {
            m_h->window->session().captureBuffer()[i] = 128;
            m_h->window->session().captureBuffer()[i + 1] = quint8(i % 250);
        }
        m_h->state.PenColor = 0xFF00FF;
        m_h->control<QScrollBar>(QStringLiteral("Csuszka"))->setValue(3);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FolapHarness> m_h;
    Folap *m_w = nullptr;
};

void TestFolapTransientFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_h = std::make_unique<FolapHarness>();
    m_w = &m_h->start();
}

void TestFolapTransientFiles::cleanup()
{
    // The settings folder points back to the previous one when its TempConfig goes.
    m_h.reset();
    m_dir.reset();
}

void TestFolapTransientFiles::dialogsAreSetUpAfreshOnEveryClick_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("defaultSuffix");
    QTest::newRow("Save") << "Mentes" << Kind::Save << "Tranziens mentése"
                          << "Transiens Bitmap (*.bmp)|*.bmp|Minden File (*.*)|*.*"
                          << "";
    QTest::newRow("Load") << "Betolt" << Kind::Open << "Tranziens betöltése"
                          << "Transiens bitmap (*.bmp)|*.bmp|All File (*.*)|*.*"
                          << "bmp";
}

void TestFolapTransientFiles::dialogsAreSetUpAfreshOnEveryClick()
{
    QFETCH(QString, button);
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    QFETCH(QString, defaultSuffix);
    const QString other = path(QStringLiteral("other.bmp"));
    writeFile(other, QByteArray());
    m_h->prompts.fileNames.enqueue(other);
    m_h->prompts.answers.enqueue(UserPrompts::Answer::Cancel); // keeps the file on Save

    QTest::mouseClick(m_h->control<QPushButton>(button), Qt::LeftButton);
    QTest::mouseClick(m_h->control<QPushButton>(button), Qt::LeftButton); // cancelled

    const QList<FileDialogRequest> &dialogs = m_h->prompts.dialogs;
    QCOMPARE(dialogs.size(), 2);
    for (const FileDialogRequest &request : dialogs) {
        QCOMPARE(request.kind, kind);
        QCOMPARE(request.title, title);
        QCOMPARE(request.nameFilters, nameFiltersFromFilter(filter));
        QCOMPARE(request.fileName, QStringLiteral("Tranziens.bmp"));
        QCOMPARE(request.defaultSuffix, defaultSuffix);
    }
}

void TestFolapTransientFiles::cancelledDialogChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Save") << "Mentes";
    QTest::newRow("Load") << "Betolt";
}

void TestFolapTransientFiles::cancelledDialogChangesNothing()
{
    QFETCH(QString, button);
    drawCurve();
    const QImage chart = m_w->Rajz()->image();
    const QImage background = m_w->Rajz()->picture();
    const QString workingFolder = QDir::currentPath();
    const QStringList filesThere = QDir().entryList(QDir::Files);
    m_h->prompts.fileNames.enqueue(QString());

    QTest::mouseClick(m_h->control<QPushButton>(button), Qt::LeftButton);

    QCOMPARE(m_h->prompts.dialogs.size(), 1);
    QVERIFY(m_h->prompts.messages.isEmpty());
    QCOMPARE(m_w->Rajz()->image(), chart);
    QCOMPARE(m_w->Rajz()->picture(), background);
    // Nothing was written under the proposed name either.
    QCOMPARE(QDir(workingFolder).entryList(QDir::Files), filesThere);
}

void TestFolapTransientFiles::savedChartLoadsBackPixelForPixel()
{
    drawCurve();
    const QImage chart = m_w->Rajz()->image();
    const QString file = path(QStringLiteral("Tranziens.bmp"));
    m_h->prompts.fileNames.enqueue(file);

    click("Mentes");

    QVERIFY(m_h->prompts.messages.isEmpty()); // a new name is written without a question
    QImage saved(file, "BMP");
    QCOMPARE(saved.size(), QSize(600, 510));
    QCOMPARE(
        saved.convertToFormat(QImage::Format_RGB32), chart.convertToFormat(QImage::Format_RGB32));

    m_w->Rajz()->setPicture(plainPicture(Qt::white));
    m_h->prompts.fileNames.enqueue(file);
    click("Betolt");

    QVERIFY(m_h->prompts.messages.isEmpty());
    QCOMPARE(m_w->Rajz()->picture().convertToFormat(QImage::Format_RGB32),
        chart.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(m_w->Rajz()->image(), m_w->Rajz()->picture());
}

void TestFolapTransientFiles::overwriteQuestionDecidesWhetherTheFileIsReplaced_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<UserPrompts::Answer>("answer");
    QTest::newRow("OK replaces") << "Tranziens.bmp" << UserPrompts::Answer::Ok;
    QTest::newRow("Cancel keeps") << "Tranziens.bmp" << UserPrompts::Answer::Cancel;
    QTest::newRow("another name, Cancel") << "regi meres.bmp" << UserPrompts::Answer::Cancel;
}

void TestFolapTransientFiles::overwriteQuestionDecidesWhetherTheFileIsReplaced()
{
    QFETCH(QString, name);
    QFETCH(UserPrompts::Answer, answer);
    const QString file = path(name);
    const QByteArray old("an older transient");
    writeFile(file, old);
    drawCurve();
    m_h->prompts.fileNames.enqueue(file);
    m_h->prompts.answers.enqueue(answer);

    click("Mentes");

    QCOMPARE(m_h->prompts.messages.size(), 1);
    const ScriptedPrompts::Message &question = m_h->prompts.messages.first();
    QCOMPARE(
        question.text, QLatin1Char('\'') + name + QStringLiteral("' this exist!\r\nOver write?"));
    QCOMPARE(question.icon, Icon::Question);
    QCOMPARE(question.buttons, Buttons::OkCancel);
    if (answer == UserPrompts::Answer::Cancel) {
        QCOMPARE(readFile(file), old);
        return;
    }
    QCOMPARE(QImage(file, "BMP").convertToFormat(QImage::Format_RGB32),
        m_w->Rajz()->image().convertToFormat(QImage::Format_RGB32));
}

void TestFolapTransientFiles::loadingANameThatIsNoFileSaysSo_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "Nincs.bmp";
    QTest::newRow("hidden file") << ".rejtett.bmp";
    QTest::newRow("folder") << "mappa.bmp";
}

void TestFolapTransientFiles::loadingANameThatIsNoFileSaysSo()
{
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("mappa.bmp")));
    QVERIFY(plainPicture(Qt::red).save(path(QStringLiteral(".rejtett.bmp")), "BMP"));
    drawCurve();
    const QImage chart = m_w->Rajz()->image();
    m_h->prompts.fileNames.enqueue(path(name));

    click("Betolt");

    QCOMPARE(m_h->prompts.dialogs.size(), 1); // not asked again
    QCOMPARE(m_h->prompts.messages.size(), 1);
    const ScriptedPrompts::Message &message = m_h->prompts.messages.first();
    QCOMPARE(message.text,
        QLatin1Char('\'') + name + QStringLiteral("' not exist!\r\nPlease change file name!"));
    QCOMPARE(message.icon, Icon::Critical);
    QCOMPARE(message.buttons, Buttons::Ok);
    QCOMPARE(m_w->Rajz()->image(), chart);
}

void TestFolapTransientFiles::failedFileOperationsAreReportedByNumber_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("target"); // relative to the temporary folder unless absolute
    QTest::addColumn<QByteArray>("content"); // written there first, when not empty
    QTest::addColumn<QString>("text");
    const QString noWrite = QStringLiteral("Drive Problem ! No Write in Drive.");
    QTest::newRow("save into a missing folder") << "Mentes"
                                                << "nincs/Tranziens.bmp" << QByteArray() << noWrite;
    // /proc takes no new files even from root, for whom a read-only folder would be writable.
    QTest::newRow("save where no file may be made")
        << "Mentes"
        << "/proc/Tranziens.bmp" << QByteArray() << noWrite;
    QTest::newRow("load of a file that is no picture")
        << "Betolt"
        << "jegyzet.txt" << QByteArray("not a picture\n")
        << "Eror in File funktions ! Error Code: 481";
}

void TestFolapTransientFiles::failedFileOperationsAreReportedByNumber()
{
    QFETCH(QString, button);
    QFETCH(QString, target);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    const QString file = QDir::isAbsolutePath(target) ? target : path(target);
    if (!content.isEmpty())
        writeFile(file, content);
    drawCurve();
    const QImage chart = m_w->Rajz()->image();
    const QImage background = m_w->Rajz()->picture();
    m_h->prompts.fileNames.enqueue(file);

    QTest::mouseClick(m_h->control<QPushButton>(button), Qt::LeftButton);

    QCOMPARE(m_h->prompts.messages.size(), 1);
    const ScriptedPrompts::Message &message = m_h->prompts.messages.first();
    QCOMPARE(message.text, text);
    QCOMPARE(message.icon, Icon::None);
    QCOMPARE(message.buttons, Buttons::Ok);
    QCOMPARE(m_w->Rajz()->image(), chart);
    QCOMPARE(m_w->Rajz()->picture(), background);
    if (button == QLatin1String("Mentes"))
        QVERIFY(!QFile::exists(file));
}

void TestFolapTransientFiles::loadedPictureStaysUnderClearingAndDrawing()
{
    const QColor loaded(10, 60, 200);
    const QString file = path(QStringLiteral("Tranziens.bmp"));
    QVERIFY(plainPicture(loaded).save(file, "BMP"));
    drawCurve();
    m_h->prompts.fileNames.enqueue(file);
    click("Betolt");
    QVERIFY(m_h->prompts.messages.isEmpty());

    click("Torlesgomb");
    QCOMPARE(m_w->Rajz()->image(), plainPicture(loaded));

    m_h->control<QScrollBar>(QStringLiteral("Csuszka"))->setValue(0);
    const QImage &image = m_w->Rajz()->image();
    QCOMPARE(image.pixelColor(300, 5), loaded);
    // Bytes 1 and 2 are (128, 1): the first line ends at column 1, row 254.
    QCOMPARE(image.pixelColor(1, 254), QColor(255, 0, 255));
}

QTEST_MAIN(TestFolapTransientFiles)
#include "tst_folap_transient_files.moc"
