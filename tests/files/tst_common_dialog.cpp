// The file dialog layer: filter texts as Qt reads them, what the dialog is asked, and the
// properties after OK and after Cancel.
#include "files/common_dialog.h"

#include "scripted_prompts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QTest>

class TestCommonDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filterTextsBecomeQtNameFilters_data();
    void filterTextsBecomeQtNameFilters();
    void designedDialogsAskWithTheirSettings_data();
    void designedDialogsAskWithTheirSettings();
    void okGivesThePathAndTheName_data();
    void okGivesThePathAndTheName();
    void cancelIsAnErrorOnlyWithCancelError_data();
    void cancelIsAnErrorOnlyWithCancelError();
};

using PatternLists = QList<QStringList>;

void TestCommonDialog::filterTextsBecomeQtNameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::addColumn<PatternLists>("patterns"); // as Qt's own dialog reads each name filter

    QTest::newRow("save") << kSaveFilter
                          << QStringList { "Transiens Bitmap (*.bmp) (*.bmp)",
                                 "Minden File (*.*) (*)" }
                          << PatternLists { { "*.bmp" }, { "*" } };
    QTest::newRow("open") << kOpenFilter
                          << QStringList { "Transiens bitmap (*.bmp) (*.bmp)",
                                 "All File (*.*) (*)" }
                          << PatternLists { { "*.bmp" }, { "*" } };
    QTest::newRow("description without patterns")
        << "Bitmap|*.bmp" << QStringList { "Bitmap (*.bmp)" } << PatternLists { { "*.bmp" } };
    QTest::newRow("several patterns") << "Pictures (*.bmp;*.dib)|*.bmp; *.dib"
                                      << QStringList { "Pictures (*.bmp;*.dib) (*.bmp *.dib)" }
                                      << PatternLists { { "*.bmp", "*.dib" } };
    QTest::newRow("other patterns in the description")
        << "Bitmap (*.dib)|*.bmp" << QStringList { "Bitmap (*.dib) (*.bmp)" }
        << PatternLists { { "*.bmp" } };
    QTest::newRow("no pattern") << "Bitmap (*.bmp)" << QStringList() << PatternLists();
    QTest::newRow("empty pattern")
        << "Bitmap||All|*.*" << QStringList { "All (*)" } << PatternLists { { "*" } };
    QTest::newRow("empty") << "" << QStringList() << PatternLists();
}

void TestCommonDialog::filterTextsBecomeQtNameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QFETCH(PatternLists, patterns);
    const QStringList converted = nameFiltersFromFilter(filter);
    QCOMPARE(converted, nameFilters);

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(converted);
    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    for (qsizetype i = 0; i < converted.size(); ++i) {
        dialog.selectNameFilter(converted.at(i));
        QCOMPARE(model->nameFilters(), patterns.at(i));
    }
}

void TestCommonDialog::designedDialogsAskWithTheirSettings_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("DialogOpen") << false << QStringLiteral("Tranziens betöltése") << "bmp";
    QTest::newRow("DialogSave") << true << QStringLiteral("Tranziens mentése") << "";
}

void TestCommonDialog::designedDialogsAskWithTheirSettings()
{
    QFETCH(bool, save);
    QFETCH(QString, title);
    QFETCH(QString, suffix);
    ScriptedPrompts prompts;
    CommonDialog dialog
        = save ? makeDialogSave(prompts, nullptr) : makeDialogOpen(prompts, nullptr);
    dialog.setFilter(save ? kSaveFilter : kOpenFilter);
    dialog.setFileName(kProposedFileName);
    save ? dialog.ShowSave() : dialog.ShowOpen();

    QCOMPARE(prompts.dialogs.size(), 1);
    const FileDialogRequest &request = prompts.dialogs.first();
    QCOMPARE(request.kind, save ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open);
    QCOMPARE(request.title, title);
    QCOMPARE(request.defaultSuffix, suffix);
    QCOMPARE(request.fileName, QStringLiteral("Tranziens.bmp"));
}

void TestCommonDialog::okGivesThePathAndTheName_data()
{
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("fileTitle");
    QTest::newRow("proposed name") << ""
                                   << "/data/run 2/Tranziens.bmp"
                                   << "/data/run 2/Tranziens.bmp"
                                   << "Tranziens.bmp";
    QTest::newRow("extension added") << "bmp"
                                     << "/data/meres"
                                     << "/data/meres.bmp"
                                     << "meres.bmp";
    QTest::newRow("extension with point") << ".bmp"
                                          << "/data/meres"
                                          << "/data/meres.bmp"
                                          << "meres.bmp";
    QTest::newRow("own extension kept") << "bmp"
                                        << "/data/meres.png"
                                        << "/data/meres.png"
                                        << "meres.png";
    QTest::newRow("point in the folder only") << "bmp"
                                              << "/data/v1.2/meres"
                                              << "/data/v1.2/meres.bmp"
                                              << "meres.bmp";
    QTest::newRow("no default extension") << ""
                                          << "/data/meres"
                                          << "/data/meres"
                                          << "meres";
}

void TestCommonDialog::okGivesThePathAndTheName()
{
    QFETCH(QString, defaultExt);
    QFETCH(QString, answer);
    QFETCH(QString, fileName);
    QFETCH(QString, fileTitle);
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(answer);
    CommonDialog dialog(prompts, nullptr);
    dialog.setDefaultExt(defaultExt);
    dialog.setCancelError(true);
    dialog.setFileName(kProposedFileName);

    QCOMPARE(dialog.ShowSave(), kFileOk);
    QCOMPARE(dialog.FileName(), fileName);
    QCOMPARE(dialog.FileTitle(), fileTitle);
}

void TestCommonDialog::cancelIsAnErrorOnlyWithCancelError_data()
{
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("error");
    QTest::newRow("save, CancelError on") << true << true << kCancelError;
    QTest::newRow("open, CancelError on") << true << false << kCancelError;
    QTest::newRow("save, CancelError off") << false << true << kFileOk;
    QTest::newRow("open, CancelError off") << false << false << kFileOk;
}

void TestCommonDialog::cancelIsAnErrorOnlyWithCancelError()
{
    QFETCH(bool, cancelError);
    QFETCH(bool, save);
    QFETCH(int, error);
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue("/data/first.bmp");
    CommonDialog dialog(prompts, nullptr);
    dialog.setCancelError(cancelError);
    QCOMPARE(dialog.ShowOpen(), kFileOk); // a name from an earlier show must not survive Cancel

    QCOMPARE(save ? dialog.ShowSave() : dialog.ShowOpen(), error);
    QCOMPARE(dialog.FileName(), QString());
    QCOMPARE(dialog.FileTitle(), QString());
}

QTEST_MAIN(TestCommonDialog)
#include "tst_common_dialog.moc"
