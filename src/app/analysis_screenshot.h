// --screenshot-analysis and --report-analysis: the transient analysis window as the README shows
// it, drawn from the captures of the running program.
#pragma once

#include <QList>
#include <QString>

#include <functional>

class Folap;
class TransientAnalysis;

// What to make of the window once it shows the two captures: a text naming what went wrong, or
// an empty one.
using AnalysisOutput = std::function<QString(TransientAnalysis &analysis)>;

// Opens the analysis window; sets the first capture that comes in as a reference, shows the
// second with the cursors one ringing period apart, makes each output and ends the program: 0
// when all were made, 1 when one failed or no second capture came within a minute. complain
// says why.
void shootTransientAnalysis(
    Folap &window, QList<AnalysisOutput> outputs, std::function<void(const QString &)> complain);
