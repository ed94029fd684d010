// The rotation calculator's arithmetic.
#include "calculator/rotation_calculator.h"

#include "core/module_state.h"
#include "core/number_text.h"

#include <cfloat>
#include <cmath>

namespace {

const QString kZeroText = QStringLiteral(" 0");
const QString kDanger = QStringLiteral("Yes!");
const QString kNoDanger = QStringLiteral("No!");

// Every calculator value is single precision; a number beyond its range has no such value (and
// converting it would be undefined).
bool fitsSingle(double value)
{
    return std::isfinite(value) && std::fabs(value) <= FLT_MAX;
}

} // namespace

const QString RotationCalculator::kNoResult = QStringLiteral("?");
const QString RotationCalculator::kZeroEntry = QStringLiteral("1 ??????");

RotationCalculator::RotationCalculator(ModuleState &state)
    : m_state(state)
{
}

void RotationCalculator::Seb_Click(int index)
{
    if (index >= 0 && index < kPulseOptions)
        m_state.MaxPulseRate = kPulseRates[index];
}

void RotationCalculator::Oszto_Click(int index)
{
    if (index == kDoubleOption)
        m_state.EncoderFactor = 2;
    else if (index == kOneToOneOption)
        m_state.EncoderFactor = 1;
}

QString RotationCalculator::Encoder_LostFocus(const QString &encoderText)
{
    // Writing the number back shows the user what was understood. A number too large even for a
    // double has no text worth showing, so the entry stays as typed.
    const double value = NumberValue(encoderText);
    QString text = std::isfinite(value) ? NumberText(value) : encoderText;
    if (text == kZeroText)
        text = kZeroEntry;
    takeEncoderLines(text);
    return text;
}

RotationCalculator::Outcome RotationCalculator::Szamitas_Click(
    const QString &encoderText, int pulseOption, bool doubleSelected)
{
    Outcome outcome { encoderText == kZeroText ? kZeroEntry : encoderText, kNoResult, kNoResult };
    const bool linesTaken = takeEncoderLines(outcome.encoderText);
    Seb_Click(pulseOption);
    m_state.EncoderFactor = doubleSelected ? 2 : 1;
    if (!linesTaken)
        return outcome;

    // The verdict: on "1:1" above the lowest rate the drive must count the encoder doubled and
    // the rate is held at 51000; a doubled fine encoder above 35 kHz is held at 42000.
    float rate = m_state.MaxPulseRate;
    quint8 factor = m_state.EncoderFactor;
    bool danger = true;
    if (rate > 25000 && factor == 1) {
        rate = 51000;
        factor = 2;
    } else if (factor == 2 && m_state.EncoderLines > 500 && rate > 35000) {
        rate = 42000;
    } else {
        danger = false;
    }

    // A tiny entry is zero in single precision and a tiny but non-zero one gives a speed beyond
    // it: neither has a speed to show, so the results stay unknown and the state untouched.
    const double divisor = double(factor) * double(m_state.EncoderLines);
    if (divisor == 0)
        return outcome;
    const double revolutions = std::floor(double(rate) / divisor * 60);
    if (!fitsSingle(revolutions))
        return outcome;

    m_state.MaxPulseRate = rate;
    m_state.EncoderFactor = factor;
    m_state.SafeRevolutions = float(revolutions);
    outcome.revolutions = NumberText(m_state.SafeRevolutions);
    outcome.danger = danger ? kDanger : kNoDanger;
    return outcome;
}

bool RotationCalculator::takeEncoderLines(const QString &text)
{
    const double value = NumberValue(text);
    if (!fitsSingle(value))
        return false;
    m_state.EncoderLines = float(value);
    return true;
}
