// --screenshot-live: the live chart as the README shows it, drawn from the running program.
#pragma once

#include <QString>

#include <functional>

class Folap;

// Once the live chart is open and the continuous stream has run a few seconds, shows the
// cursors, saves the chart window as a PNG file and ends the program: 0 when saved, 1 when the
// file cannot be written. complain says why.
void shootLiveChart(
    Folap &window, const QString &file, std::function<void(const QString &)> complain);
