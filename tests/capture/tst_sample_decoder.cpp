// Live sample decoding: what one receive-event read puts on the bars, the read-out and the lamp.
#include "capture/sample_decoder.h"

#include <QTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

// A CPU-saver read: 31 bytes, `head` followed by (128, 40) pairs.
QByteArray cpuSaverRead(const QByteArray &head)
{
    QByteArray result = head;
    while (result.size() < 31)
        result.append(bytes({ 128, 40 }));
    return result.left(31);
}

} // namespace

class TestSampleDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void markerReadsBecomeOneSample_data();
    void markerReadsBecomeOneSample();
    void readsNotStartingOnAMarkerShowNothing_data();
    void readsNotStartingOnAMarkerShowNothing();
};

void TestSampleDecoder::markerReadsBecomeOneSample_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<int>("magnitude");
    QTest::addColumn<int>("positiveBar");
    QTest::addColumn<int>("negativeBar");
    QTest::addColumn<bool>("overSpin");
    QTest::addColumn<QString>("caption");

    QTest::newRow("zero") << bytes({ 128, 0 }) << false << 0 << 0 << 0 << false << "+ 0";
    QTest::newRow("+37") << bytes({ 128, 37 }) << false << 37 << 37 << 0 << false << "+ 37";
    QTest::newRow("+255") << bytes({ 128, 255 }) << false << 255 << 255 << 0 << false << "+ 255";
    QTest::newRow("-1") << bytes({ 129, 255 }) << true << 1 << 0 << 1 << false << "- 1";
    QTest::newRow("-128") << bytes({ 129, 128 }) << true << 128 << 0 << 128 << false << "- 128";
    QTest::newRow("-255") << bytes({ 129, 1 }) << true << 255 << 0 << 255 << false << "- 255";
    QTest::newRow("over-spin") << bytes({ 129, 0 }) << true << 0 << 0 << 0 << true << "- 0";
    QTest::newRow("lone 128") << bytes({ 128 }) << false << 0 << 0 << 0 << false << "+ 0";
    QTest::newRow("lone 129 is over-spin")
        << bytes({ 129 }) << true << 0 << 0 << 0 << true << "- 0";
    QTest::newRow("trailing bytes ignored")
        << bytes({ 128, 5, 129, 0, 129, 0 }) << false << 5 << 5 << 0 << false << "+ 5";
    QTest::newRow("31 bytes on a pair")
        << cpuSaverRead(bytes({ 129, 200 })) << true << 56 << 0 << 56 << false << "- 56";
    QTest::newRow("31 bytes on a value byte 129")
        << cpuSaverRead(bytes({ 129 })) << true << 128 << 0 << 128 << false << "- 128";
}

void TestSampleDecoder::markerReadsBecomeOneSample()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, negative);
    QFETCH(int, magnitude);
    QFETCH(int, positiveBar);
    QFETCH(int, negativeBar);
    QFETCH(bool, overSpin);
    QFETCH(QString, caption);

    const std::optional<LiveSample> sample = decodeSample(input);
    QVERIFY(sample.has_value());
    QCOMPARE(sample->negative, negative);
    QCOMPARE(int(sample->magnitude), magnitude);
    QCOMPARE(sample->positiveBar(), positiveBar);
    QCOMPARE(sample->negativeBar(), negativeBar);
    QCOMPARE(sample->overSpin(), overSpin);
    QCOMPARE(sample->caption, caption);
}

void TestSampleDecoder::readsNotStartingOnAMarkerShowNothing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("zero byte") << bytes({ 0, 128 });
    QTest::newRow("127") << bytes({ 127, 5 });
    QTest::newRow("130") << bytes({ 130, 5 });
    QTest::newRow("255") << bytes({ 255 });
    QTest::newRow("31 bytes on a value byte") << cpuSaverRead(bytes({ 40 }));
}

void TestSampleDecoder::readsNotStartingOnAMarkerShowNothing()
{
    QFETCH(QByteArray, input);
    QVERIFY(!decodeSample(input).has_value());
}

QTEST_APPLESS_MAIN(TestSampleDecoder)
#include "tst_sample_decoder.moc"
