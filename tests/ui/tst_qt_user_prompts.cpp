// The real prompts: message boxes with the program's title, icon and buttons, and Qt's own file
// dialog that lets the user type a name that does not exist yet.
#include "ui/qt_user_prompts.h"

#include "files/common_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

class TestQtUserPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageBoxShowsTitleIconAndButtons_data();
    void messageBoxShowsTitleIconAndButtons();
    void fileDialogIsSetUpFromTheRequest_data();
    void fileDialogIsSetUpFromTheRequest();
    void fileDialogGivesTheTypedNameOrNothing_data();
    void fileDialogGivesTheTypedNameOrNothing();
    void fileTypesReadAsWrittenAndAllFilesMeansEveryName_data();
    void fileTypesReadAsWrittenAndAllFilesMeansEveryName();
};

namespace {
// Runs once the next modal dialog is up.
void whenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        act(QApplication::activeModalWidget());
    });
}
} // namespace

void TestQtUserPrompts::messageBoxShowsTitleIconAndButtons_data()
{
    using P = UserPrompts;
    QTest::addColumn<P::Icon>("icon");
    QTest::addColumn<P::Buttons>("buttons");
    QTest::addColumn<QMessageBox::Icon>("boxIcon");
    QTest::addColumn<int>("buttonCount");
    QTest::addColumn<bool>("pressCancel");
    QTest::addColumn<P::Answer>("answer");
    QTest::newRow("about") << P::Icon::Information << P::Buttons::Ok << QMessageBox::Information
                           << 1 << false << P::Answer::Ok;
    QTest::newRow("port error") << P::Icon::Critical << P::Buttons::Ok << QMessageBox::Critical << 1
                                << false << P::Answer::Ok;
    QTest::newRow("file error") << P::Icon::None << P::Buttons::Ok << QMessageBox::NoIcon << 1
                                << false << P::Answer::Ok;
    QTest::newRow("overwrite, OK") << P::Icon::Question << P::Buttons::OkCancel
                                   << QMessageBox::Question << 2 << false << P::Answer::Ok;
    QTest::newRow("overwrite, Cancel") << P::Icon::Question << P::Buttons::OkCancel
                                       << QMessageBox::Question << 2 << true << P::Answer::Cancel;
}

void TestQtUserPrompts::messageBoxShowsTitleIconAndButtons()
{
    QFETCH(UserPrompts::Icon, icon);
    QFETCH(UserPrompts::Buttons, buttons);
    QFETCH(QMessageBox::Icon, boxIcon);
    QFETCH(int, buttonCount);
    QFETCH(bool, pressCancel);
    QFETCH(UserPrompts::Answer, answer);
    QString title, text;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    int shownButtons = 0;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        shownIcon = box->icon();
        shownButtons = box->buttons().size();
        box->button(pressCancel ? QMessageBox::Cancel : QMessageBox::Ok)->click();
    });
    QtUserPrompts prompts;
    QCOMPARE(
        prompts.message(nullptr, QStringLiteral("line one\r\nline two"), icon, buttons), answer);
    QCOMPARE(title, QStringLiteral("Velmora Servo Monitor"));
    QCOMPARE(text, QStringLiteral("line one\r\nline two"));
    QCOMPARE(shownIcon, boxIcon);
    QCOMPARE(shownButtons, buttonCount);
}

void TestQtUserPrompts::fileDialogIsSetUpFromTheRequest_data()
{
    QTest::addColumn<FileDialogRequest::Kind>("kind");
    QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
    QTest::addColumn<bool>("confirmsOverwrite");
    QTest::newRow("open") << FileDialogRequest::Kind::Open << QFileDialog::AcceptOpen << true;
    QTest::newRow("save") << FileDialogRequest::Kind::Save << QFileDialog::AcceptSave << false;
}

void TestQtUserPrompts::fileDialogIsSetUpFromTheRequest()
{
    QFETCH(FileDialogRequest::Kind, kind);
    QFETCH(QFileDialog::AcceptMode, acceptMode);
    QFETCH(bool, confirmsOverwrite);
    FileDialogRequest request;
    request.kind = kind;
    request.title = QStringLiteral("Tranziens mentése");
    request.nameFilters
        = { QStringLiteral("Transiens Bitmap (*.bmp)"), QStringLiteral("Minden File (*.*)") };
    request.fileName = QStringLiteral("Tranziens.bmp");
    request.defaultSuffix = QStringLiteral("bmp");
    QFileDialog dialog;
    QtUserPrompts::configure(dialog, request);
    QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog.windowTitle(), request.title);
    QCOMPARE(dialog.nameFilters(), request.nameFilters);
    QCOMPARE(dialog.defaultSuffix(), request.defaultSuffix);
    QCOMPARE(dialog.acceptMode(), acceptMode);
    // The program tests existence and asks about overwriting itself.
    QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
    QCOMPARE(!dialog.testOption(QFileDialog::DontConfirmOverwrite), confirmsOverwrite);
    if (kind == FileDialogRequest::Kind::Open)
        QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral("Open"));
}

void TestQtUserPrompts::fileDialogGivesTheTypedNameOrNothing_data()
{
    QTest::addColumn<FileDialogRequest::Kind>("kind");
    QTest::addColumn<bool>("accept");
    QTest::newRow("open a name that does not exist") << FileDialogRequest::Kind::Open << true;
    QTest::newRow("save") << FileDialogRequest::Kind::Save << true;
    QTest::newRow("open cancelled") << FileDialogRequest::Kind::Open << false;
    QTest::newRow("save cancelled") << FileDialogRequest::Kind::Save << false;
}

void TestQtUserPrompts::fileDialogGivesTheTypedNameOrNothing()
{
    QFETCH(FileDialogRequest::Kind, kind);
    QFETCH(bool, accept);
    QTemporaryDir dir;
    const QString typed = dir.filePath(QStringLiteral("Tranziens.bmp"));
    bool refused = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        if (!accept) {
            dialog->reject();
            return;
        }
        dialog->selectFile(typed);
        // A refused name brings up a nested warning box; close it so the test cannot hang.
        QTimer::singleShot(0, qApp, [&refused] {
            if (auto *warning = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                refused = true;
                warning->reject();
            }
        });
        static_cast<QDialog *>(dialog)->accept(); // virtual: QFileDialog checks the name
        if (dialog->isVisible()) { // the name was not taken; do not hang the test
            refused = true;
            dialog->reject();
        }
    });
    FileDialogRequest request;
    request.kind = kind;
    request.fileName = QStringLiteral("Tranziens.bmp");
    const QString chosen = QtUserPrompts().askFileName(nullptr, request);
    QVERIFY(!refused);
    QCOMPARE(chosen, accept ? typed : QString());
}

void TestQtUserPrompts::fileTypesReadAsWrittenAndAllFilesMeansEveryName_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("save") << QString::fromLatin1(kSaveFilter)
                          << QStringList { "Transiens Bitmap (*.bmp)", "Minden File (*.*)" };
    QTest::newRow("open") << QString::fromLatin1(kOpenFilter)
                          << QStringList { "Transiens bitmap (*.bmp)", "All File (*.*)" };
}

void TestQtUserPrompts::fileTypesReadAsWrittenAndAllFilesMeansEveryName()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    for (const char *name : { "Tranziens.bmp", "notes.txt", "README" }) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileDialogRequest request;
    request.nameFilters = nameFiltersFromFilter(filter);
    QFileDialog dialog;
    dialog.setDirectory(dir.path());
    QtUserPrompts::configure(dialog, request);

    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    QCOMPARE(items, shown);

    // The second entry lists every file, a name without a point too.
    dialog.selectNameFilter(request.nameFilters.at(1));
    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QStringList listed = QDir(dir.path()).entryList(model->nameFilters(), QDir::Files);
    QCOMPARE(listed.size(), 3);
    QVERIFY(listed.contains(QStringLiteral("README")));
}

QTEST_MAIN(TestQtUserPrompts)
#include "tst_qt_user_prompts.moc"
