// Number <-> text rules shared by the window title, the port list, the settings, the live
// read-out, the file error messages and the calculator.
#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

QString formatSignificant(double value, int digits)
{
    if (std::isnan(value))
        return QStringLiteral(" NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral(" Inf") : QStringLiteral("-Inf");
    if (value == 0)
        return QStringLiteral(" 0"); // -0 too: the sign of a zero means nothing to a user

    // %.*e rounds to the wanted significant digits first; the exponent of the rounded value then
    // decides between plain and exponent form (99999999 as a single is 1E+08, not 100000000).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(value));
    std::string s(buf);
    const auto ePos = s.find('e');
    std::string mantissa = s.substr(0, ePos);
    const int exponent = std::stoi(s.substr(ePos + 1));

    std::string intDigits = mantissa.substr(0, 1);
    std::string fracDigits = mantissa.size() > 2 ? mantissa.substr(2) : std::string();
    std::string allDigits = intDigits + fracDigits;
    while (allDigits.size() > 1 && allDigits.back() == '0')
        allDigits.pop_back();

    std::string out;
    if (exponent >= digits || exponent < -4) {
        out = allDigits.substr(0, 1);
        if (allDigits.size() > 1)
            out += "." + allDigits.substr(1);
        char expBuf[16];
        std::snprintf(
            expBuf, sizeof expBuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += expBuf;
    } else if (exponent < 0) {
        out = "0." + std::string(size_t(-exponent - 1), '0') + allDigits;
    } else {
        const size_t intLen = size_t(exponent) + 1;
        if (allDigits.size() <= intLen) {
            out = allDigits + std::string(intLen - allDigits.size(), '0');
        } else {
            out = allDigits.substr(0, intLen) + "." + allDigits.substr(intLen);
        }
    }
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + QString::fromLatin1(out.c_str());
}

bool isIgnoredWhitespace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

} // namespace

QString NumberText(double value)
{
    return formatSignificant(value, 15);
}

QString NumberText(float value)
{
    return formatSignificant(double(value), 7);
}

double NumberValue(const QString &text)
{
    // Gather the characters that can belong to the number, skipping the ignored blanks; stop at
    // the first character that cannot continue it.
    std::string number;
    bool seenDigit = false, seenPoint = false;
    enum { Sign, Mantissa, ExpSign, ExpDigits } state = Sign;
    std::string pendingExponent; // "e" or "e-" that only counts once a digit follows it

    for (QChar c : text) {
        if (isIgnoredWhitespace(c))
            continue;
        const char ch = c.unicode() < 128 ? char(c.unicode()) : '\0';
        const bool digit = ch >= '0' && ch <= '9';
        if (state == Sign) {
            state = Mantissa;
            if (ch == '+' || ch == '-') {
                number += ch;
                continue;
            }
        }
        if (state == Mantissa) {
            if (digit) {
                number += ch;
                seenDigit = true;
            } else if (ch == '.' && !seenPoint) {
                number += ch;
                seenPoint = true;
            } else if ((ch == 'e' || ch == 'E') && seenDigit) {
                pendingExponent = "e";
                state = ExpSign;
            } else {
                break;
            }
        } else if (state == ExpSign) {
            if (ch == '+' || ch == '-') {
                pendingExponent += ch;
                state = ExpDigits;
            } else if (digit) {
                number += pendingExponent;
                pendingExponent.clear();
                number += ch;
                state = ExpDigits;
            } else {
                break;
            }
        } else { // ExpDigits
            if (!digit)
                break;
            number += pendingExponent;
            pendingExponent.clear();
            number += ch;
        }
    }
    if (!seenDigit)
        return 0.0;

    const char *first = number.data();
    const char *last = number.data() + number.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    double result = 0.0;
    const auto [end, ec] = std::from_chars(first, last, result);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on range errors: decide between overflow and
        // underflow from the exponent the text carried.
        const auto e = number.find('e');
        const bool tiny = e != std::string::npos && number[e + 1] == '-';
        result = tiny ? 0.0 : HUGE_VAL;
    }
    Q_UNUSED(end);
    return negative ? -result : result;
}
