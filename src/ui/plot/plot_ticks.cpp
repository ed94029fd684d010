// Tick steps, positions and labels.
#include "ui/plot/plot_ticks.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

TimeUnit timeUnitForSpan(double spanMs)
{
    return spanMs >= kSecondsFromSpanMs ? TimeUnit::Seconds : TimeUnit::Milliseconds;
}

double msPerUnit(TimeUnit unit)
{
    return unit == TimeUnit::Seconds ? 1000.0 : 1.0;
}

QString unitSymbol(TimeUnit unit)
{
    return unit == TimeUnit::Seconds ? QStringLiteral("s") : QStringLiteral("ms");
}

double tickStep(double span, double pixels, int pixelsPerLabel)
{
    if (!(span > 0) || !(pixels > 0) || !std::isfinite(span) || pixelsPerLabel < 1)
        return 1;
    const double labels = std::max(1.0, std::floor(pixels / pixelsPerLabel));
    const double rough = span / labels;
    // The decade is taken from the rough step with a little slack, so that a rough step of
    // exactly 1, 2 or 5 times a power of ten is taken as it is despite rounding in log10.
    const double decade = std::pow(10.0, std::floor(std::log10(rough) + 1e-9));
    for (const double factor : { 1.0, 2.0, 5.0 }) {
        if (decade * factor >= rough * (1 - 1e-9))
            return decade * factor;
    }
    return decade * 10;
}

QList<double> tickValues(double min, double max, double step)
{
    QList<double> values;
    if (!(step > 0) || !(max >= min) || !std::isfinite(min) || !std::isfinite(max))
        return values;
    // A tick within a millionth of a step of an end still counts as on it.
    const double first = std::ceil(min / step - 1e-6);
    const double last = std::floor(max / step + 1e-6);
    for (double k = first; k <= last && values.size() < kMaxTicks; ++k)
        values.append(k == 0 ? 0.0 : k * step);
    return values;
}

QString tickLabel(double value, double step)
{
    const int decimals = step > 0 ? std::clamp(int(-std::floor(std::log10(step) + 1e-9)), 0, 9) : 0;
    QString text = QLocale::c().toString(value, 'f', decimals);
    // A value that rounds to zero is shown as zero, whichever side it came from.
    if (text.startsWith(QLatin1Char('-'))
        && std::all_of(text.cbegin() + 1, text.cend(),
            [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); }))
        text.remove(0, 1);
    return text;
}
