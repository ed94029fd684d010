// The number <-> text rules: every place a number is shown or read goes through these two.
#include "core/number_text.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestNumberText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void doublesAreWrittenWithALeadingBlankOrMinus_data();
    void doublesAreWrittenWithALeadingBlankOrMinus();
    void singlesKeepSevenSignificantDigits_data();
    void singlesKeepSevenSignificantDigits();
    void textIsReadAsFarAsItFormsANumber_data();
    void textIsReadAsFarAsItFormsANumber();
    void readingBackWhatWasWrittenGivesTheValue_data();
    void readingBackWhatWasWrittenGivesTheValue();
    void hugeExponentsReadAsInfinityOrZero();
};

void TestNumberText::doublesAreWrittenWithALeadingBlankOrMinus_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("7") << 7.0 << " 7";
    QTest::newRow("31") << 31.0 << " 31";
    QTest::newRow("-1") << -1.0 << "-1";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("2700") << 2700.0 << " 2700";
    QTest::newRow("750000") << 750000.0 << " 750000";
    QTest::newRow("fraction") << 2.5 << " 2.5";
    QTest::newRow("below one") << 0.25 << " 0.25";
    QTest::newRow("small") << 0.0001 << " 0.0001";
    QTest::newRow("tiny goes exponent") << 0.00001 << " 1E-05";
    QTest::newRow("15 digits stay plain") << 123456789012345.0 << " 123456789012345";
    QTest::newRow("16 digits go exponent") << 1234567890123456.0 << " 1.23456789012346E+15";
    QTest::newRow("1E+15") << 1e15 << " 1E+15";
    QTest::newRow("1E+300") << 1e300 << " 1E+300";
    QTest::newRow("-2.5E-20") << -2.5e-20 << "-2.5E-20";
    QTest::newRow("no trailing zeros") << 1.5000 << " 1.5";
    QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << " 0.3";
}

void TestNumberText::doublesAreWrittenWithALeadingBlankOrMinus()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText(value), text);
}

void TestNumberText::singlesKeepSevenSignificantDigits_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("2700") << 2700.0f << " 2700";
    QTest::newRow("-2700") << -2700.0f << "-2700";
    QTest::newRow("7 digits plain") << 9999999.0f << " 9999999";
    QTest::newRow("8 digits go exponent") << 13500000000.0f << " 1.35E+10";
    QTest::newRow("rounds up into exponent") << 99999999.0f << " 1E+08";
    QTest::newRow("0.1 as single") << 0.1f << " 0.1";
    QTest::newRow("float max") << std::numeric_limits<float>::max() << " 3.402823E+38";
}

void TestNumberText::singlesKeepSevenSignificantDigits()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText(value), text);
}

void TestNumberText::textIsReadAsFarAsItFormsANumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("leading blank") << " 31" << 31.0;
    QTest::newRow("question marks after") << "1 ??????" << 1.0;
    QTest::newRow("letters after") << "12abc" << 12.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank inside digits") << "1 2" << 12.0;
    QTest::newRow("tab and line feed inside") << "1\t2\n3" << 123.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("minus") << "-1" << -1.0;
    QTest::newRow("blank after minus") << "- 5" << -5.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("two signs") << "--7" << 0.0;
    QTest::newRow("fraction") << "2.5" << 2.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1.35E+10" << 1.35e10;
    QTest::newRow("lower-case exponent") << "2e3" << 2000.0;
    QTest::newRow("negative exponent") << "5E-2" << 0.05;
    QTest::newRow("dangling exponent") << "3e" << 3.0;
    QTest::newRow("dangling exponent sign") << "3e+" << 3.0;
    QTest::newRow("exponent then letters") << "3e2x" << 300.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("lone e") << "e" << 0.0;
    QTest::newRow("e before digits") << "e5" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("non-latin digit stops") << QString::fromUtf8("4\u0661") << 4.0;
}

void TestNumberText::textIsReadAsFarAsItFormsANumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(NumberValue(text), value);
}

void TestNumberText::readingBackWhatWasWrittenGivesTheValue_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << 254.0;
    QTest::newRow("negative") << -1.0;
    QTest::newRow("fraction") << 1234.5678;
    QTest::newRow("exponent") << 6.02214076e23;
    QTest::newRow("tiny") << -1.5e-250;
}

void TestNumberText::readingBackWhatWasWrittenGivesTheValue()
{
    QFETCH(double, value);
    const double back = NumberValue(NumberText(value));
    QVERIFY2(std::fabs(back - value) <= std::fabs(value) * 1e-14, qPrintable(NumberText(value)));
}

void TestNumberText::hugeExponentsReadAsInfinityOrZero()
{
    QVERIFY(std::isinf(NumberValue(QStringLiteral("1E+400"))));
    QVERIFY(NumberValue(QStringLiteral("-1E+400")) < 0);
    QCOMPARE(NumberValue(QStringLiteral("1E-400")), 0.0);
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_number_text.moc"
