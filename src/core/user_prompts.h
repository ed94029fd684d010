// The one seam through which the windows ask the user anything: message boxes and file names.
// The program shows QMessageBox / QFileDialog through QtUserPrompts; tests answer through a
// scripted implementation.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

struct FileDialogRequest
{
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QStringList nameFilters; // Qt form: "Transiens Bitmap (*.bmp)", "Minden File (*.*)"
    QString fileName; // proposed name
    QString defaultSuffix; // without the point, empty for none
};

class UserPrompts
{
public:
    enum class Icon { None, Information, Question, Critical };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~UserPrompts() = default;

    // A modal message box titled with the application's title.
    virtual Answer message(QWidget *parent, const QString &text, Icon icon, Buttons buttons) = 0;
    // A modal file dialog; returns the chosen path, or an empty string when cancelled.
    virtual QString askFileName(QWidget *parent, const FileDialogRequest &request) = 0;

    // A name to export to (request.kind is Save): a file that exists is replaced only when the
    // user says so. An empty string when either question was cancelled.
    QString askExportFileName(QWidget *parent, const FileDialogRequest &request);
};
