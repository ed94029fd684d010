#include "scripted_prompts.h"

UserPrompts::Answer ScriptedPrompts::message(QWidget *, const QString &text, Icon icon,
                                             Buttons buttons)
{
    messages.append({ text, icon, buttons });
    return answers.isEmpty() ? Answer::Ok : answers.dequeue();
}

QString ScriptedPrompts::askFileName(QWidget *, const FileDialogRequest &request)
{
    dialogs.append(request);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}
