// The question every export asks before it replaces a file.
#include "core/user_prompts.h"

#include <QFileInfo>

QString UserPrompts::askExportFileName(QWidget *parent, const FileDialogRequest &request)
{
    const QString path = askFileName(parent, request);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return path;
    const QString question
        = QStringLiteral("%1 already exists.\nReplace it?").arg(QFileInfo(path).fileName());
    return message(parent, question, Icon::Question, Buttons::OkCancel) == Answer::Ok ? path
                                                                                      : QString();
}
