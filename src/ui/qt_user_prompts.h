// The program's answers to the windows' questions: Qt message boxes titled with the application's
// title and Qt's own file dialog (the same on every desktop, and scriptable in tests).
#pragma once

#include "core/user_prompts.h"

class QFileDialog;

class QtUserPrompts : public UserPrompts
{
public:
    Answer message(QWidget *parent, const QString &text, Icon icon, Buttons buttons) override;
    QString askFileName(QWidget *parent, const FileDialogRequest &request) override;

    // The dialog askFileName shows, set up from the request; exposed so its set-up can be
    // checked without running it.
    static void configure(QFileDialog &dialog, const FileDialogRequest &request);
};
