// Where a plot axis puts its ticks and what their labels say: steps of 1, 2 or 5 times a power
// of ten, at most one label per so many pixels, on the multiples of the step so that 0 is always
// a tick; the time axis in ms, or in s over long spans. Labels are C-locale numbers with as many
// decimals as the step needs, and never "-0".
#pragma once

#include <QList>
#include <QString>

enum class TimeUnit {
    Milliseconds,
    Seconds,
};

// Spans of this many ms and more are labelled in seconds.
inline constexpr double kSecondsFromSpanMs = 2000;
// The time axis's labels are at least this far apart; the value axis's half of it.
inline constexpr int kPixelsPerTimeLabel = 70;
inline constexpr int kPixelsPerValueLabel = 35;

TimeUnit timeUnitForSpan(double spanMs);
double msPerUnit(TimeUnit unit);
QString unitSymbol(TimeUnit unit); // "ms", "s"

// The smallest step of the 1-2-5 series that keeps labels at least pixelsPerLabel apart when
// span covers pixels; 1 for a span or pixel count that is not positive.
double tickStep(double span, double pixels, int pixelsPerLabel);
// The multiples of step in [min, max], at most kMaxTicks of them.
inline constexpr int kMaxTicks = 1000;
QList<double> tickValues(double min, double max, double step);
// value with the decimals step needs: tickLabel(0.5, 0.1) == "0.5", tickLabel(-0.0, 1) == "0".
QString tickLabel(double value, double step);
