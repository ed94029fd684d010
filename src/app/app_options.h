// The monitor's command line: --screenshot FILE and repeatable --port N=DEVICE, and whether the
// program can run at all where no display is available.
#pragma once

#include <QString>
#include <QStringList>

struct AppOptions
{
    QString screenshotFile; // empty: run interactively
    QStringList portOptions; // the N=DEVICE texts, in the order given
    QString error; // set when the arguments cannot be used
    bool helpRequested = false;

    // args includes the program name, as QCoreApplication::arguments() does.
    static AppOptions parse(const QStringList &args);
    static QString usage();

    enum class Platform { AsIs, Offscreen, NoDisplay };
    // What to do about the windowing platform before the application is made: a screenshot can
    // be taken offscreen; an interactive run needs a display.
    Platform platformFor(bool hasDisplay, bool platformChosen) const;
};
