// What the programs' command lines share: one way of reading a number, and the help in Qt's own
// layout.
#pragma once

#include <QCommandLineParser>
#include <QString>

#include <optional>

// A number as written on a command line, with '.' whatever the locale: finite and within
// low..high, none otherwise.
std::optional<double> optionNumber(const QString &text, double low, double high);
// A whole number (no point, no exponent) within low..high.
std::optional<qint64> optionWholeNumber(const QString &text, qint64 low, qint64 high);

// -h, --help and --version as every program of the package offers them.
QCommandLineOption helpOption();
QCommandLineOption versionOption();

// The parser's help, with the program named by its file name alone, as its man page names it
// (Qt writes the path it was started by). Needs the application object.
QString optionHelpText(const QCommandLineParser &parser);
