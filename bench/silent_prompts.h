// Prompts for the window benchmarks: every message box is answered OK at once and written to
// stderr, so a benchmark that ran into one says so; every file dialog is cancelled.
#pragma once

#include "core/user_prompts.h"

#include <cstdio>

namespace bench {

class SilentPrompts : public UserPrompts
{
public:
    Answer message(QWidget *, const QString &text, Icon, Buttons) override
    {
        std::fprintf(stderr, "the window says: %s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString askFileName(QWidget *, const FileDialogRequest &) override { return QString(); }
};

} // namespace bench
