// The program's one way of turning numbers into text and text into numbers.
//
// NumberText writes a blank (or a minus sign) and then the number in plain decimal notation, at
// most 15 significant digits for doubles and 7 for singles, switching to exponent form
// ("1.35E+10") where the plain form would need more. NumberValue reads the longest decimal prefix
// of a text, ignoring blanks, tabs and line feeds, and gives 0 where there is none.
#pragma once

#include <QString>

QString NumberText(double value);
QString NumberText(float value);
inline QString NumberText(int value)
{
    return NumberText(double(value));
}

// A prefix too large for a double reads as an infinity; callers that store the value in a
// narrower type check std::isfinite themselves.
double NumberValue(const QString &text);
