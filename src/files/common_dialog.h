// The file dialog the Save and Load handlers set up and show: the properties they rely on, over
// the UserPrompts seam, so that the program shows Qt's dialog and tests answer it.
#pragma once

#include "core/user_prompts.h"
#include "files/file_errors.h"

#include <QString>
#include <QStringList>

// The filter texts and the file name the handlers set before every show.
inline constexpr char kSaveFilter[] = "Transiens Bitmap (*.bmp)|*.bmp|Minden File (*.*)|*.*";
inline constexpr char kOpenFilter[] = "Transiens bitmap (*.bmp)|*.bmp|All File (*.*)|*.*";
inline constexpr char kProposedFileName[] = "Tranziens.bmp";

class CommonDialog
{
public:
    CommonDialog(UserPrompts &prompts, QWidget *parent);

    QString DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString &title) { m_dialogTitle = title; }
    // Appended, with a point, to a chosen name that has no extension; with or without the point.
    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString &extension) { m_defaultExt = extension; }
    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool on) { m_cancelError = on; }
    // "description|pattern|description|pattern...", patterns separated by ';'.
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    // In: the proposed name. Out: the chosen path with its folder, empty after a cancel.
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Out: the chosen name without its folder.
    QString FileTitle() const { return m_fileTitle; }

    // 0 when a name was chosen; on Cancel kCancelError if CancelError is on, else 0.
    int ShowOpen();
    int ShowSave();

private:
    int show(FileDialogRequest::Kind kind);

    UserPrompts &m_prompts;
    QWidget *m_parent;
    QString m_dialogTitle;
    QString m_defaultExt;
    bool m_cancelError = false;
    QString m_filter;
    QString m_fileName;
    QString m_fileTitle;
};

// The main window's two dialogs as designed.
CommonDialog makeDialogOpen(UserPrompts &prompts, QWidget *parent);
CommonDialog makeDialogSave(UserPrompts &prompts, QWidget *parent);

// Qt name filters for a filter text: "description (patterns)" for each entry, since Qt reads the
// patterns from the last parenthesised group and splits them at blanks. The dialog hides that
// group, so the user sees each description exactly as written. "*.*" becomes "*": it means every
// name, with or without a point. Entries without a pattern are left out.
QStringList nameFiltersFromFilter(const QString &filter);
