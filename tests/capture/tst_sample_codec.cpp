// The pair codec against the byte format written out plainly, for every one of the 65 536 pairs,
// and the encoder's limits.
#include "capture/sample_codec.h"

#include <QTest>

namespace {

// The format as the drive's documentation puts it, with nothing shared with the codec.
SampleValue referenceDecode(int first, int second)
{
    if (first == 128)
        return { SampleKind::Valid, second };
    if (first == 129 && second == 0)
        return { SampleKind::OverSpin, 0 };
    if (first == 129)
        return { SampleKind::Valid, -(256 - second) };
    return { SampleKind::Missing, 0 };
}

} // namespace

class TestSampleCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyPairDecodesAsTheFormatSaysAndEncodesBack();
    void theEncoderSaturatesAndNeverSendsOverSpinForADeviation_data();
    void theEncoderSaturatesAndNeverSendsOverSpinForADeviation();
};

void TestSampleCodec::everyPairDecodesAsTheFormatSaysAndEncodesBack()
{
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const SampleValue decoded = decodePair(first, second);
            if (decoded != referenceDecode(first, second))
                QFAIL(qPrintable(QStringLiteral("(%1, %2) decoded as kind %3, %4 steps")
                                     .arg(first)
                                     .arg(second)
                                     .arg(int(decoded.kind))
                                     .arg(decoded.deviation)));
            const auto pair = encodePair(decoded);
            const bool marked = first == 128 || first == 129;
            if (marked && (pair[0] != first || pair[1] != second))
                QFAIL(qPrintable(
                    QStringLiteral("(%1, %2) did not encode back").arg(first).arg(second)));
        }
    }
}

void TestSampleCodec::theEncoderSaturatesAndNeverSendsOverSpinForADeviation_data()
{
    QTest::addColumn<SampleValue>("sample");
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("value");
    QTest::newRow("+256 saturates") << SampleValue::valid(256) << 128 << 255;
    QTest::newRow("+5000 saturates") << SampleValue::valid(5000) << 128 << 255;
    QTest::newRow("-256 saturates, never the over-spin 0") << SampleValue::valid(-256) << 129 << 1;
    QTest::newRow("-5000 saturates") << SampleValue::valid(-5000) << 129 << 1;
    QTest::newRow("missing: the zeros of an unfilled capture") << SampleValue() << 0 << 0;
}

void TestSampleCodec::theEncoderSaturatesAndNeverSendsOverSpinForADeviation()
{
    QFETCH(SampleValue, sample);
    QFETCH(int, marker);
    QFETCH(int, value);
    const auto pair = encodePair(sample);
    QCOMPARE(int(pair[0]), marker);
    QCOMPARE(int(pair[1]), value);
}

QTEST_APPLESS_MAIN(TestSampleCodec)
#include "tst_sample_codec.moc"
