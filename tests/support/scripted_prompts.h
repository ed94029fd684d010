// Answers the windows' questions in tests: records every message box and file dialog the code
// under test raised, and answers from queues the test filled beforehand (OK / a cancelled dialog
// when a queue is empty).
#pragma once

#include "core/user_prompts.h"

#include <QList>
#include <QQueue>

class ScriptedPrompts : public UserPrompts
{
public:
    struct Message
    {
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer message(QWidget *parent, const QString &text, Icon icon, Buttons buttons) override;
    QString askFileName(QWidget *parent, const FileDialogRequest &request) override;

    QQueue<Answer> answers; // for message boxes
    QQueue<QString> fileNames; // for file dialogs; an empty string cancels
    QList<Message> messages; // every box shown, in order
    QList<FileDialogRequest> dialogs; // every file dialog shown, in order
};
