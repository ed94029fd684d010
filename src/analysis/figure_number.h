// How the figures become numbers on screen and in files: exact where a figure is a ratio of whole
// numbers (times, frequencies, percentages, means), so a value that lies on a half rounds the same
// every time, and rounded half away from zero, never as "-0".
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Shown when a figure is none.
QString noFigureText();

// numerator / denominator with the given decimals; empty when the denominator is 0.
QString decimalText(qint64 numerator, qint64 denominator, int decimals);
// Empty for a value that is not finite or too large to round.
QString decimalText(double value, int decimals);
// The time of sampleDelta samples in ms, to 0.001 ms: "-22.222".
QString timeMsText(qint64 sampleDelta);
// "+143 steps", "-37 steps", "0 steps".
QString stepsText(int deviation);

// A figure's value: an exact ratio of two whole numbers, or a real number where the figure is not
// one (a logarithm, a square root).
class FigureNumber
{
public:
    static FigureNumber ratio(qint64 numerator, qint64 denominator);
    static FigureNumber whole(qint64 value) { return ratio(value, 1); }
    static FigureNumber real(double value);

    bool isExact() const { return m_denominator != 0; }
    double toDouble() const;
    // Rounded to decimals; empty for a real that cannot be rounded (not finite).
    QString text(int decimals) const;

    // this - other, exact when both are.
    FigureNumber minus(const FigureNumber &other) const;
    // 100 * this / base, exact when both are; none when base is 0.
    std::optional<FigureNumber> percentOf(const FigureNumber &base) const;

private:
    qint64 m_numerator = 0;
    qint64 m_denominator = 0; // 0 for a real
    double m_real = 0;
};
