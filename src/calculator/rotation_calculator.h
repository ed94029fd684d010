// The rotation calculator's arithmetic, apart from any widget: the encoder field's tidying, the
// pulse rate and encoder factor choices, and the calculation of the safe speed and the over-spin
// verdict. It works on the calculator values of the shared module state and hands back the texts
// the window shows.
#pragma once

#include <QString>

struct ModuleState;

class RotationCalculator
{
public:
    // The pulse rate options "25 kHz", "35 kHz", "45 kHz" in their index order.
    static constexpr int kPulseOptions = 3;
    static constexpr float kPulseRates[kPulseOptions] = { 25000, 35000, 45000 };
    // The encoder factor options: "Double" counts each line twice, "1:1" once.
    static constexpr int kDoubleOption = 0;
    static constexpr int kOneToOneOption = 1;

    // What a result label shows while there is no result.
    static const QString kNoResult;
    // What a zero or unreadable encoder entry becomes; it reads as 1 line.
    static const QString kZeroEntry;

    struct Outcome
    {
        QString encoderText; // the field's text afterwards
        QString revolutions; // caption of the speed result
        QString danger; // caption of the verdict, "Yes!" or "No!"
    };

    explicit RotationCalculator(ModuleState &state);

    // A click on pulse option `index` (0..2); any other index changes nothing.
    void Seb_Click(int index);
    // A click on encoder option `index` (0 "Double", 1 "1:1"); any other index changes nothing.
    void Oszto_Click(int index);
    // The encoder field lost the focus: returns its tidied text and takes its value.
    QString Encoder_LostFocus(const QString &encoderText);
    // The calculation. `pulseOption` is the selected pulse option's index, or -1 when none is
    // selected (the last rate then stays); `doubleSelected` tells whether "Double" is selected.
    // An entry that no speed can be computed from leaves both results at kNoResult.
    Outcome Szamitas_Click(const QString &encoderText, int pulseOption, bool doubleSelected);

private:
    // Takes the number in `text` as the encoder's lines; false when single precision cannot hold
    // it.
    bool takeEncoderLines(const QString &text);

    ModuleState &m_state;
};
