// --screenshot-analysis: the transient analysis window as the README shows it, drawn from the
// captures of the running program.
#pragma once

#include <QString>

#include <functional>

class Folap;

// Opens the analysis window; sets the first capture that comes in as a reference, shows the
// second with the cursors one ringing period apart, saves the window as a PNG file and
// ends the program: 0 when saved, 1 when the file cannot be written or no second capture came
// within a minute. complain says why.
void shootTransientAnalysis(
    Folap &window, const QString &file, std::function<void(const QString &)> complain);
