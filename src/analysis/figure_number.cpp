// Rounding and the texts of numbers.
#include "analysis/figure_number.h"

#include "capture/transient_samples.h"

#include <cmath>
#include <numeric>

namespace {

qint64 powerOfTen(int decimals)
{
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

// A rounded value held as an integer count of 10^-decimals.
QString scaledText(qint64 scaled, int decimals)
{
    const qint64 scale = powerOfTen(decimals);
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    QString text = scaled < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / scale);
    if (decimals > 0) {
        text += QLatin1Char('.');
        text += QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    }
    return text;
}

} // namespace

QString noFigureText()
{
    return QString(QChar(0x2014));
}

QString decimalText(qint64 numerator, qint64 denominator, int decimals)
{
    if (denominator == 0)
        return QString();
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    const qint64 scaled = numerator * powerOfTen(decimals);
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    const qint64 rounded = (2 * magnitude + denominator) / (2 * denominator);
    return scaledText(scaled < 0 ? -rounded : rounded, decimals);
}

QString decimalText(double value, int decimals)
{
    const double scaled = value * double(powerOfTen(decimals));
    if (!(std::abs(scaled) < 1e18)) // NaN and infinities included
        return QString();
    return scaledText(std::llround(scaled), decimals);
}

QString timeMsText(qint64 sampleDelta)
{
    return decimalText(sampleDelta * 1000, kTransientSampleRateHz, 3);
}

QString stepsText(int deviation)
{
    return (deviation > 0 ? QStringLiteral("+") : QString()) + QString::number(deviation)
        + QStringLiteral(" steps");
}

FigureNumber FigureNumber::ratio(qint64 numerator, qint64 denominator)
{
    FigureNumber n;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    // Kept in lowest terms, so a difference of two figures stays far inside 64 bits.
    const qint64 divisor = std::gcd(numerator, denominator);
    n.m_numerator = divisor > 1 ? numerator / divisor : numerator;
    n.m_denominator = divisor > 1 ? denominator / divisor : denominator;
    if (n.m_denominator == 0)
        n.m_real = qQNaN();
    return n;
}

FigureNumber FigureNumber::real(double value)
{
    FigureNumber n;
    n.m_real = value;
    return n;
}

double FigureNumber::toDouble() const
{
    return isExact() ? double(m_numerator) / double(m_denominator) : m_real;
}

QString FigureNumber::text(int decimals) const
{
    return isExact() ? decimalText(m_numerator, m_denominator, decimals)
                     : decimalText(m_real, decimals);
}

FigureNumber FigureNumber::minus(const FigureNumber &other) const
{
    if (!isExact() || !other.isExact())
        return real(toDouble() - other.toDouble());
    return ratio(m_numerator * other.m_denominator - other.m_numerator * m_denominator,
        m_denominator * other.m_denominator);
}

std::optional<FigureNumber> FigureNumber::percentOf(const FigureNumber &base) const
{
    if (base.toDouble() == 0)
        return std::nullopt;
    if (!isExact() || !base.isExact())
        return real(100 * toDouble() / base.toDouble());
    return ratio(100 * m_numerator * base.m_denominator, m_denominator * base.m_numerator);
}
