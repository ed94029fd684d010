// Playing a recorded drive stream back: what comes out, what is skipped, and the looping.
#include "sim/drive_model.h"
#include "sim/recorded_samples.h"

#include <QTest>

namespace {
QByteArray play(RecordedSamples &recording, int sampleCount)
{
    QByteArray bytes;
    for (int i = 0; i < sampleCount; ++i) {
        const auto pair = encodePair(recording.nextSample());
        bytes.append(char(pair[0])).append(char(pair[1]));
    }
    return bytes;
}
} // namespace

class TestRecordedSamples : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aCleanRecordingPlaysBackByteForByteAndLoops();
    void bytesThatStartNoPairAreSkipped_data();
    void bytesThatStartNoPairAreSkipped();
};

void TestRecordedSamples::aCleanRecordingPlaysBackByteForByteAndLoops()
{
    DriveModel model({ 11, 5760, 0.7 });
    const QByteArray recorded = model.generate(20000);
    RecordedSamples recording(recorded);
    QCOMPARE(recording.size(), 20000);
    QCOMPARE(play(recording, 20000), recorded);
    QCOMPARE(play(recording, 20000), recorded);
}

void TestRecordedSamples::bytesThatStartNoPairAreSkipped_data()
{
    QTest::addColumn<QByteArray>("recorded");
    QTest::addColumn<QByteArray>("played"); // one pass
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no marker at all") << QByteArray("\x01\x02\x03", 3) << QByteArray();
    QTest::newRow("a lone marker at the end") << QByteArray("\x80", 1) << QByteArray();
    QTest::newRow("a half pair in front")
        << QByteArray("\x05\x80\x10", 3) << QByteArray("\x80\x10", 2);
    QTest::newRow("over-spin and a stray byte")
        << QByteArray("\x81\x00\x07\x80\x05", 5) << QByteArray("\x81\x00\x80\x05", 4);
    QTest::newRow("value bytes equal to markers stay values")
        << QByteArray("\x80\x81\x81\x80", 4) << QByteArray("\x80\x81\x81\x80", 4);
    QTest::newRow("a pair cut off at the end")
        << QByteArray("\x81\x05\x81", 3) << QByteArray("\x81\x05", 2);
}

void TestRecordedSamples::bytesThatStartNoPairAreSkipped()
{
    QFETCH(QByteArray, recorded);
    QFETCH(QByteArray, played);
    RecordedSamples recording(recorded);
    QCOMPARE(recording.isEmpty(), played.isEmpty());
    if (played.isEmpty()) {
        // Nothing to play: the drive stands still rather than sending nothing at all.
        QCOMPARE(play(recording, 2), QByteArray("\x80\x00\x80\x00", 4));
        return;
    }
    QCOMPARE(play(recording, int(played.size() / 2) * 2), played + played);
}

QTEST_APPLESS_MAIN(TestRecordedSamples)
#include "tst_recorded_samples.moc"
