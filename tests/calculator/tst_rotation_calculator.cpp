// The rotation calculator's arithmetic: the encoder field's tidying, the verdict with its held
// rates, the safe speed in single precision, and entries that no speed can be computed from.
#include "calculator/rotation_calculator.h"
#include "core/module_state.h"
#include "core/number_text.h"

#include <QTest>

#include <cmath>

namespace {

constexpr int k25kHz = 0;
constexpr int k35kHz = 1;
constexpr int k45kHz = 2;
constexpr int kNoPulseOption = -1;

} // namespace

class TestRotationCalculator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void calculationGivesTheSpeedAndTheVerdict_data();
    void calculationGivesTheSpeedAndTheVerdict();
    void leavingTheFieldWritesBackTheNumberUnderstood_data();
    void leavingTheFieldWritesBackTheNumberUnderstood();
    void zeroOrUnreadableEntriesCountAsOneLine_data();
    void zeroOrUnreadableEntriesCountAsOneLine();
    void entriesWithoutAComputableSpeedLeaveTheResultsUnknown_data();
    void entriesWithoutAComputableSpeedLeaveTheResultsUnknown();
    void aHeldRateDoesNotOutliveItsCalculation();
    void withNoPulseOptionSelectedTheLastRateStays();
    void optionClicksKeepTheStateInStepWithTheOptions_data();
    void optionClicksKeepTheStateInStepWithTheOptions();
};

void TestRotationCalculator::calculationGivesTheSpeedAndTheVerdict_data()
{
    QTest::addColumn<int>("pulseOption");
    QTest::addColumn<bool>("doubled");
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<QString>("danger");
    QTest::addColumn<QString>("revolutions");
    QTest::addColumn<float>("rate"); // MaxPulseRate afterwards
    QTest::addColumn<int>("factor"); // EncoderFactor afterwards
    QTest::addColumn<float>("lines"); // EncoderLines afterwards

    // clang-format off
    QTest::newRow("45 kHz Double 500")  << k45kHz << true  << " 500"  << "No!"  << " 2700" << 45000.0f << 2 << 500.0f;
    QTest::newRow("45 kHz 1:1 500")     << k45kHz << false << " 500"  << "Yes!" << " 3060" << 51000.0f << 2 << 500.0f;
    QTest::newRow("35 kHz 1:1 500")     << k35kHz << false << " 500"  << "Yes!" << " 3060" << 51000.0f << 2 << 500.0f;
    QTest::newRow("25 kHz 1:1 500")     << k25kHz << false << " 500"  << "No!"  << " 3000" << 25000.0f << 1 << 500.0f;
    QTest::newRow("45 kHz Double 1000") << k45kHz << true  << " 1000" << "Yes!" << " 1260" << 42000.0f << 2 << 1000.0f;
    QTest::newRow("35 kHz Double 1000") << k35kHz << true  << " 1000" << "No!"  << " 1050" << 35000.0f << 2 << 1000.0f;
    QTest::newRow("25 kHz Double 500")  << k25kHz << true  << " 500"  << "No!"  << " 1500" << 25000.0f << 2 << 500.0f;
    QTest::newRow("45 kHz Double 501")  << k45kHz << true  << " 501"  << "Yes!" << " 2514" << 42000.0f << 2 << 501.0f;

    // The comparisons are strict, and the encoder is compared as the single it is stored as.
    QTest::newRow("25 kHz 1:1 is never in danger")
        << k25kHz << false << " 1000000" << "No!" << " 1" << 25000.0f << 1 << 1e6f;
    QTest::newRow("500 doubled is never in danger at 35 kHz")
        << k35kHz << true << " 500" << "No!" << " 2100" << 35000.0f << 2 << 500.0f;
    QTest::newRow("above 500 only in double precision")
        << k45kHz << true << "500.00001" << "No!" << " 2700" << 45000.0f << 2 << 500.0f;
    QTest::newRow("above 500 in single precision")
        << k45kHz << true << "500.0001" << "Yes!" << " 2519" << 42000.0f << 2 << 500.0001f;

    QTest::newRow("negative entry")
        << k45kHz << true << "-500" << "No!" << "-2700" << 45000.0f << 2 << -500.0f;
    QTest::newRow("fraction of a revolution is dropped")
        << k35kHz << true << "3.3" << "No!" << " 318181" << 35000.0f << 2 << 3.3f;
    QTest::newRow("negative speed rounds down")
        << k35kHz << true << "-3.3" << "No!" << "-318182" << 35000.0f << 2 << -3.3f;
    QTest::newRow("more than seven digits in exponent form")
        << k25kHz << false << "0.001" << "No!" << " 1.5E+09" << 25000.0f << 1 << 0.001f;
    QTest::newRow("huge speed a single still holds")
        << k25kHz << true << "1E-30" << "No!" << " 7.5E+35" << 25000.0f << 2 << 1e-30f;
    // clang-format on
}

void TestRotationCalculator::calculationGivesTheSpeedAndTheVerdict()
{
    QFETCH(int, pulseOption);
    QFETCH(bool, doubled);
    QFETCH(QString, encoder);
    QFETCH(QString, danger);
    QFETCH(QString, revolutions);
    QFETCH(float, rate);
    QFETCH(int, factor);
    QFETCH(float, lines);

    ModuleState state;
    RotationCalculator calculator(state);
    const auto outcome = calculator.Szamitas_Click(encoder, pulseOption, doubled);
    QCOMPARE(outcome.encoderText, encoder);
    QCOMPARE(outcome.danger, danger);
    QCOMPARE(outcome.revolutions, revolutions);
    QCOMPARE(state.MaxPulseRate, rate);
    QCOMPARE(int(state.EncoderFactor), factor);
    QCOMPARE(state.EncoderLines, lines);
    QCOMPARE(NumberText(state.SafeRevolutions), revolutions);
}

void TestRotationCalculator::leavingTheFieldWritesBackTheNumberUnderstood_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("lines"); // EncoderLines afterwards; it starts at 77

    QTest::newRow("design text") << "500"
                                 << " 500" << 500.0f;
    QTest::newRow("already tidy") << " 500"
                                  << " 500" << 500.0f;
    QTest::newRow("letters after") << "12abc"
                                   << " 12" << 12.0f;
    QTest::newRow("blanks inside") << " 1 024 "
                                   << " 1024" << 1024.0f;
    QTest::newRow("negative") << "-500"
                              << "-500" << -500.0f;
    QTest::newRow("fraction") << "2.50"
                              << " 2.5" << 2.5f;
    QTest::newRow("exponent") << "2e3"
                              << " 2000" << 2000.0f;
    QTest::newRow("tiny is zero as a single") << "1E-50"
                                              << " 1E-50" << 0.0f;
    QTest::newRow("beyond a single keeps the lines") << "1E+39"
                                                     << " 1E+39" << 77.0f;
    QTest::newRow("beyond a double stays as typed") << "1E+400"
                                                    << "1E+400" << 77.0f;
    QTest::newRow("the replacement reads as one") << "1 ??????"
                                                  << " 1" << 1.0f;
    QTest::newRow("negative beyond a double") << "-1E+400"
                                              << "-1E+400" << 77.0f;
}

void TestRotationCalculator::leavingTheFieldWritesBackTheNumberUnderstood()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, lines);

    ModuleState state;
    state.EncoderLines = 77;
    RotationCalculator calculator(state);
    QCOMPARE(calculator.Encoder_LostFocus(typed), shown);
    QCOMPARE(state.EncoderLines, lines);
}

void TestRotationCalculator::zeroOrUnreadableEntriesCountAsOneLine_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>(
        "leftTheField"); // false: the button was pressed with the focus still in it

    QTest::newRow("letters only") << "abc" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("typed zero") << "0" << true;
    QTest::newRow("zero with a point") << "0.000" << true;
    QTest::newRow("negative zero") << "-0" << true;
    QTest::newRow("written-back zero, not left") << " 0" << false;
}

void TestRotationCalculator::zeroOrUnreadableEntriesCountAsOneLine()
{
    QFETCH(QString, typed);
    QFETCH(bool, leftTheField);

    ModuleState state;
    RotationCalculator calculator(state);
    QString text = typed;
    if (leftTheField) {
        text = calculator.Encoder_LostFocus(typed);
        QCOMPARE(text, QStringLiteral("1 ??????"));
        QCOMPARE(state.EncoderLines, 1.0f);
    }
    const auto outcome = calculator.Szamitas_Click(text, k25kHz, true);
    QCOMPARE(outcome.encoderText, QStringLiteral("1 ??????"));
    QCOMPARE(outcome.revolutions, QStringLiteral(" 750000"));
    QCOMPARE(outcome.danger, QStringLiteral("No!"));
    QCOMPARE(state.EncoderLines, 1.0f);
}

void TestRotationCalculator::entriesWithoutAComputableSpeedLeaveTheResultsUnknown_data()
{
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<int>("pulseOption");
    QTest::addColumn<bool>("doubled");
    QTest::addColumn<float>("lines"); // EncoderLines afterwards; it starts at 77

    // Zero as a single: the divisor would be zero.
    QTest::newRow("1E-50") << " 1E-50" << k45kHz << true << 0.0f;
    QTest::newRow("-1E-50 on 1:1") << "-1E-50" << k45kHz << false << -0.0f;
    QTest::newRow("-0 with the focus still in the field") << "-0" << k25kHz << true << -0.0f;
    QTest::newRow("0 with the focus still in the field") << "0" << k25kHz << false << 0.0f;
    QTest::newRow("letters with the focus still in the field") << "abc" << k35kHz << true << 0.0f;
    // Beyond a single: the entry itself has no single-precision value.
    QTest::newRow("1E+39") << " 1E+39" << k45kHz << true << 77.0f;
    QTest::newRow("1E+300") << " 1E+300" << k25kHz << false << 77.0f;
    QTest::newRow("1E+308") << " 1E+308" << k45kHz << false << 77.0f;
    QTest::newRow("-1E+308") << "-1E+308" << k35kHz << true << 77.0f;
    QTest::newRow("1E+400") << "1E+400" << k45kHz << true << 77.0f;
    // A single, but the speed is beyond one (after the verdict's held rate, too).
    QTest::newRow("1E-35") << " 1E-35" << k25kHz << true << 1e-35f;
    QTest::newRow("-1E-35") << "-1E-35" << k25kHz << false << -1e-35f;
    QTest::newRow("1E-35 with a held rate") << " 1E-35" << k45kHz << false << 1e-35f;
    QTest::newRow("denormal single") << " 1E-40" << k25kHz << true << 1e-40f;
}

void TestRotationCalculator::entriesWithoutAComputableSpeedLeaveTheResultsUnknown()
{
    QFETCH(QString, encoder);
    QFETCH(int, pulseOption);
    QFETCH(bool, doubled);
    QFETCH(float, lines);

    ModuleState state;
    state.EncoderLines = 77;
    state.SafeRevolutions = 1234;
    RotationCalculator calculator(state);
    const auto outcome = calculator.Szamitas_Click(encoder, pulseOption, doubled);
    QCOMPARE(outcome.encoderText, encoder);
    QCOMPARE(outcome.revolutions, QStringLiteral("?"));
    QCOMPARE(outcome.danger, QStringLiteral("?"));
    // The options are still taken, but no verdict holds a rate and the last speed stays.
    QCOMPARE(state.MaxPulseRate, RotationCalculator::kPulseRates[pulseOption]);
    QCOMPARE(int(state.EncoderFactor), doubled ? 2 : 1);
    QCOMPARE(state.EncoderLines, lines);
    QCOMPARE(std::signbit(state.EncoderLines), std::signbit(lines));
    QCOMPARE(state.SafeRevolutions, 1234.0f);
}

void TestRotationCalculator::aHeldRateDoesNotOutliveItsCalculation()
{
    ModuleState state;
    RotationCalculator calculator(state);
    auto outcome = calculator.Szamitas_Click(QStringLiteral(" 500"), k45kHz, false);
    QCOMPARE(outcome.danger, QStringLiteral("Yes!"));
    QCOMPARE(state.MaxPulseRate, 51000.0f);

    outcome = calculator.Szamitas_Click(QStringLiteral(" 500"), k45kHz, true);
    QCOMPARE(outcome.danger, QStringLiteral("No!"));
    QCOMPARE(outcome.revolutions, QStringLiteral(" 2700"));
    QCOMPARE(state.MaxPulseRate, 45000.0f);
}

void TestRotationCalculator::withNoPulseOptionSelectedTheLastRateStays()
{
    ModuleState state;
    RotationCalculator calculator(state);
    calculator.Seb_Click(k35kHz);
    const auto outcome = calculator.Szamitas_Click(QStringLiteral(" 1000"), kNoPulseOption, true);
    QCOMPARE(outcome.revolutions, QStringLiteral(" 1050"));
    QCOMPARE(state.MaxPulseRate, 35000.0f);
}

void TestRotationCalculator::optionClicksKeepTheStateInStepWithTheOptions_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<float>("rate"); // MaxPulseRate after Seb_Click; it starts at 1
    QTest::addColumn<int>("factor"); // EncoderFactor after Oszto_Click; it starts at 7

    QTest::newRow("first") << 0 << 25000.0f << 2;
    QTest::newRow("second") << 1 << 35000.0f << 1;
    QTest::newRow("third") << 2 << 45000.0f << 7;
    QTest::newRow("one past") << 3 << 1.0f << 7;
    QTest::newRow("negative") << -1 << 1.0f << 7;
}

void TestRotationCalculator::optionClicksKeepTheStateInStepWithTheOptions()
{
    QFETCH(int, index);
    QFETCH(float, rate);
    QFETCH(int, factor);

    ModuleState state;
    state.MaxPulseRate = 1;
    state.EncoderFactor = 7;
    RotationCalculator calculator(state);
    calculator.Seb_Click(index);
    calculator.Oszto_Click(index);
    QCOMPARE(state.MaxPulseRate, rate);
    QCOMPARE(int(state.EncoderFactor), factor);
}

QTEST_APPLESS_MAIN(TestRotationCalculator)
#include "tst_rotation_calculator.moc"
