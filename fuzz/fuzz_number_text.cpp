// Fuzzes the number <-> text rules. NumberValue reads any text without crashing, ignores blanks,
// tabs and line feeds wherever they stand and never gives NaN; NumberText writes doubles, singles
// and whole numbers in the one shape (blank or minus, plain decimals without trailing zeros, or
// d.dddE+xx) and reading the text back gives the value to the digits shown.
//
// Input: the raw bytes are read as a double, a single and a 32-bit integer (from their first
// bytes) and as text (Latin-1 and UTF-8).
#include "core/number_text.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;
// 15 digits round the largest doubles up past the largest double, so their text reads back as
// an infinity, as the decimal value it holds must.
constexpr double kLargestDoubleThatReadsBack = 1.79769313486231e308;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(QStringView s)
{
    for (QChar c : s) {
        if (!isDigit(c))
            return false;
    }
    return !s.isEmpty();
}

// The shape of a finite number's text: sign, digits, point, exponent.
void checkShape(const QString &text, double value, int digits)
{
    fuzzCheck(text.size() >= 2, "a number written as less than a sign and a digit");
    fuzzCheck(text.at(0) == QLatin1Char(value < 0 ? '-' : ' '),
        "not a blank before a positive number or a minus before a negative one");
    QStringView rest = QStringView(text).mid(1);
    const qsizetype e = rest.indexOf(QLatin1Char('E'));
    const QStringView mantissa = e < 0 ? rest : rest.left(e);
    const qsizetype point = mantissa.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? mantissa : mantissa.left(point);
    const QStringView fraction = point < 0 ? QStringView() : mantissa.mid(point + 1);

    fuzzCheck(allDigits(whole), "the whole part is not digits");
    fuzzCheck(whole.size() == 1 || whole.at(0) != QLatin1Char('0'), "a leading zero");
    if (point >= 0) {
        fuzzCheck(allDigits(fraction), "the fraction is not digits");
        fuzzCheck(fraction.back() != QLatin1Char('0'), "a trailing zero");
    }
    QString significant = whole.toString() + fraction.toString();
    while (significant.startsWith(QLatin1Char('0')))
        significant.remove(0, 1);
    fuzzCheck(significant.size() <= digits, "more significant digits than the precision");

    if (e < 0) {
        fuzzCheck(whole.size() <= digits, "a plain number wider than the precision");
        return;
    }
    fuzzCheck(whole.size() == 1 && whole.at(0) != QLatin1Char('0'),
        "an exponent form that does not start with one non-zero digit");
    const QStringView exponent = rest.mid(e + 1);
    fuzzCheck(exponent.size() >= 3 && exponent.size() <= 4
            && (exponent.at(0) == QLatin1Char('+') || exponent.at(0) == QLatin1Char('-'))
            && allDigits(exponent.mid(1)),
        "an exponent that is not a sign and two or three digits");
}

// Reading back the text of `value` written to `digits` significant digits: rounding to them
// moves a value by at most half a unit in the last digit shown, 5 * 10^-digits of it, and
// reading the text into a double adds at most half a unit in its last place.
void checkReadsBack(double value, const QString &text, int digits)
{
    const double back = NumberValue(text);
    if (std::isinf(back)) {
        fuzzCheck(
            std::fabs(value) > kLargestDoubleThatReadsBack && std::signbit(back) == (value < 0),
            "a finite number read back as an infinity");
        return;
    }
    const long double tolerance = std::fabs(value) * (5.0L * std::pow(10.0L, -digits) + 0x1p-52L)
        + std::numeric_limits<double>::denorm_min();
    fuzzCheck(std::fabs((long double)back - value) <= tolerance,
        "reading the text back does not give the value to the digits shown");
}

void checkDouble(double value)
{
    const QString text = NumberText(value);
    if (std::isnan(value) || std::isinf(value)) {
        fuzzCheck(!std::isnan(NumberValue(text)), "reading a text gave NaN");
        return;
    }
    checkShape(text, value, kDoubleDigits);
    checkReadsBack(value, text, kDoubleDigits);
}

void checkSingle(float value)
{
    const QString text = NumberText(value);
    if (std::isnan(value) || std::isinf(value))
        return;
    checkShape(text, double(value), kSingleDigits);
    checkReadsBack(double(value), text, kSingleDigits);
}

void checkWhole(qint32 value)
{
    const QString text = NumberText(int(value));
    fuzzCheck(text == QLatin1Char(value < 0 ? '-' : ' ') + QString::number(qAbs(qint64(value))),
        "a whole number not written as its sign and digits");
    fuzzCheck(NumberValue(text) == double(value), "a whole number does not read back exactly");
}

void checkReading(const QString &text)
{
    const double value = NumberValue(text);
    fuzzCheck(!std::isnan(value), "reading a text gave NaN");

    QString compact = text;
    compact.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    fuzzCheck(NumberValue(compact) == value, "blanks, tabs or line feeds changed the reading");
    fuzzCheck(NumberValue(text + QLatin1Char('x')) == value, "a character after the end counted");
    if (!compact.isEmpty() && (isDigit(compact.at(0)) || compact.at(0) == QLatin1Char('.'))) {
        fuzzCheck(NumberValue(QLatin1Char('-') + text) == -value, "a minus did not negate");
        fuzzCheck(NumberValue(QLatin1Char('+') + text) == value, "a plus changed the value");
    }
    checkDouble(value);
}

template <typename T> T fromBytes(const std::uint8_t *data, std::size_t size)
{
    T value {};
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkDouble(fromBytes<double>(data, size));
    checkSingle(fromBytes<float>(data, size));
    checkWhole(fromBytes<qint32>(data, size));
    const char *chars = reinterpret_cast<const char *>(data);
    checkReading(QString::fromLatin1(chars, qsizetype(size)));
    checkReading(QString::fromUtf8(chars, qsizetype(size)));
    return 0;
}
