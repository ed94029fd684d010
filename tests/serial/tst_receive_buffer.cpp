// The receive rules: threshold, input length, overflow and discard, driven arrival by arrival.
#include "serial/receive_buffer.h"

#include <QTest>

namespace {

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes += char(value);
    return bytes;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

// A handler as the program writes them: it may take one input per receive event and may read
// everything on an overflow.
struct Handler
{
    bool takeOnReceive = false;
    bool drainOnOverflow = false;
    QString log; // 'R' receive, 'O' overflow, '|' before each arrival
    QByteArrayList reads;

    void arrive(ReceiveBuffer &buffer, const QByteArray &bytes)
    {
        log += QLatin1Char('|');
        buffer.arrive(bytes, [&](SerialEvent event) {
            if (event == SerialEvent::Receive) {
                log += QLatin1Char('R');
                if (takeOnReceive)
                    reads << buffer.take();
            } else if (event == SerialEvent::Overflow) {
                log += QLatin1Char('O');
                if (drainOnOverflow) {
                    QByteArray all;
                    for (QByteArray one = buffer.take(); !one.isEmpty(); one = buffer.take())
                        all += one;
                    reads << all;
                }
            }
        });
    }
};

ReceiveBuffer makeBuffer(int size, int threshold, int inputLength)
{
    ReceiveBuffer buffer;
    buffer.setSize(size);
    buffer.setThreshold(threshold);
    buffer.setInputLength(inputLength);
    return buffer;
}

QByteArrayList split(const QByteArray &bytes, int size)
{
    QByteArrayList parts;
    for (qsizetype at = 0; at < bytes.size(); at += size)
        parts << bytes.mid(at, size);
    return parts;
}

} // namespace

class TestReceiveBuffer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void takingHandlersGetTheSameBlocksHoweverTheBytesAreSplit_data();
    void takingHandlersGetTheSameBlocksHoweverTheBytesAreSplit();
    void eachArrivalRaisesTheEventsItMakesDue_data();
    void eachArrivalRaisesTheEventsItMakesDue();
    void discardFromAHandlerDropsTheRestOfTheArrival();
    void eachReadKnowsWhereItLiesInTheStream_data();
    void eachReadKnowsWhereItLiesInTheStream();
};

void TestReceiveBuffer::takingHandlersGetTheSameBlocksHoweverTheBytesAreSplit_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("inputLength");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArray>("left");

    const QByteArray values = allByteValues();
    QTest::newRow("pairs, every byte value")
        << 2 << 2 << values << split(values, 2) << QByteArray();
    QTest::newRow("odd last byte waits")
        << 2 << 2 << QByteArray("ABCDE") << QByteArrayList { "AB", "CD" } << QByteArray("E");
    QTest::newRow("blocks of 31") << 31 << 31 << pattern(100) << split(pattern(93), 31)
                                  << pattern(100).mid(93);
    QTest::newRow("single bytes") << 1 << 1 << values << split(values, 1) << QByteArray();
    QTest::newRow("threshold 0 raises nothing") << 0 << 2 << values << QByteArrayList() << values;
}

void TestReceiveBuffer::takingHandlersGetTheSameBlocksHoweverTheBytesAreSplit()
{
    QFETCH(int, threshold);
    QFETCH(int, inputLength);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArray, left);

    const QList<QList<int>> splits { { 100000 }, { 1 }, { 2 }, { 3 }, { 1, 2 }, { 3, 1, 4, 1, 5 } };
    for (const QList<int> &sizes : splits) {
        ReceiveBuffer buffer = makeBuffer(4000, threshold, inputLength);
        Handler handler;
        handler.takeOnReceive = true;
        qsizetype at = 0;
        for (int i = 0; at < bytes.size(); ++i) {
            const int size = sizes[i % sizes.size()];
            handler.arrive(buffer, bytes.mid(at, size));
            at += size;
        }
        QCOMPARE(handler.reads, reads);
        buffer.setInputLength(0);
        QCOMPARE(buffer.take(), left);
    }
}

void TestReceiveBuffer::eachArrivalRaisesTheEventsItMakesDue_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("inputLength");
    QTest::addColumn<bool>("takeOnReceive");
    QTest::addColumn<bool>("drainOnOverflow");
    QTest::addColumn<QByteArrayList>("arrivals");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<int>("left");

    QTest::newRow("nothing until the threshold")
        << 4000 << 2000 << 1 << false << false << QByteArrayList { pattern(1999), "x", "y" }
        << "||R|R" << QByteArrayList() << 2001;
    QTest::newRow("a handler taking nothing hears once per arrival")
        << 4000 << 2 << 2 << false << false << QByteArrayList { "ABCDEF", "G" } << "|R|R"
        << QByteArrayList() << 7;
    QTest::newRow("a taking handler hears again within the arrival")
        << 4000 << 2 << 2 << true << false << QByteArrayList { "ABCDEFG" } << "|RRR"
        << QByteArrayList { "AB", "CD", "EF" } << 1;
    QTest::newRow("input length 0 takes everything")
        << 4000 << 3 << 0 << true << false << QByteArrayList { "AB", "CDE" } << "||R"
        << QByteArrayList { "ABCDE" } << 0;
    QTest::newRow("exactly full is no overflow")
        << 4 << 0 << 1 << false << false << QByteArrayList { "ABCD" } << "|" << QByteArrayList()
        << 4;
    QTest::newRow("overflow once per arrival")
        << 4 << 0 << 1 << false << false << QByteArrayList { "ABCDEFGH" } << "|O"
        << QByteArrayList() << 4;
    QTest::newRow("overflow for each late arrival")
        << 4 << 0 << 1 << false << false << QByteArrayList { "ABCD", "E", "F" } << "||O|O"
        << QByteArrayList() << 4;
    QTest::newRow("room made on overflow lets later bytes in")
        << 4 << 0 << 1 << false << true << QByteArrayList { "ABCDEFG" } << "|O"
        << QByteArrayList { "ABCD" } << 2;
    // Triggered recording: receive events are ignored, the overflow reads the whole buffer.
    const QByteArray transient = pattern(5000);
    QTest::newRow("transient") << 4100 << 2000 << 1 << false << true << split(transient, 1000)
                               << "||R|R|R|RO" << QByteArrayList { transient.left(4100) } << 899;
}

void TestReceiveBuffer::eachArrivalRaisesTheEventsItMakesDue()
{
    QFETCH(int, size);
    QFETCH(int, threshold);
    QFETCH(int, inputLength);
    QFETCH(bool, takeOnReceive);
    QFETCH(bool, drainOnOverflow);
    QFETCH(QByteArrayList, arrivals);
    QFETCH(QString, log);
    QFETCH(QByteArrayList, reads);
    QFETCH(int, left);

    ReceiveBuffer buffer = makeBuffer(size, threshold, inputLength);
    Handler handler { takeOnReceive, drainOnOverflow, {}, {} };
    for (const QByteArray &bytes : arrivals)
        handler.arrive(buffer, bytes);
    QCOMPARE(handler.log, log);
    QCOMPARE(handler.reads, reads);
    QCOMPARE(buffer.count(), left);
}

void TestReceiveBuffer::discardFromAHandlerDropsTheRestOfTheArrival()
{
    ReceiveBuffer buffer = makeBuffer(4000, 2, 2);
    QByteArrayList reads;
    int events = 0;
    const auto handler = [&](SerialEvent) {
        if (++events == 1)
            reads << buffer.take();
        else
            buffer.discard();
    };
    buffer.arrive("ABCDEF", handler);
    QCOMPARE(events, 2);
    QCOMPARE(buffer.count(), 0);
    QVERIFY(buffer.take().isEmpty());

    buffer.arrive("GH", [&](SerialEvent) { reads << buffer.take(); });
    QCOMPARE(reads, (QByteArrayList { "AB", "GH" }));
}

void TestReceiveBuffer::eachReadKnowsWhereItLiesInTheStream_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("skipAfterRead"); // bytes skipped after each read
    QTest::addColumn<int>("takeOnOverflow"); // reads made in the overflow event
    QTest::addColumn<QList<int>>("arrivals"); // sizes
    QTest::addColumn<int>("reads");

    QTest::newRow("pairs") << 4000 << 0 << 0 << QList<int> { 7, 100, 1, 92 } << 100;
    QTest::newRow("skips from the waiting bytes") << 4000 << 1 << 0 << QList<int> { 200 } << 67;
    QTest::newRow("skips owed by later arrivals") << 4000 << 1 << 0 << QList<int>(200, 1) << 67;
    // Bytes lost behind the waiting ones are counted once the reads reach them.
    QTest::newRow("overflow") << 6 << 0 << 0 << QList<int> { 20, 20 } << 6;
    QTest::newRow("overflow, room made") << 6 << 0 << 1 << QList<int> { 20, 20, 20 } << 12;
}

// Byte k of the stream has the value k, so each read's first byte says where it lies.
void TestReceiveBuffer::eachReadKnowsWhereItLiesInTheStream()
{
    QFETCH(int, size);
    QFETCH(int, skipAfterRead);
    QFETCH(int, takeOnOverflow);
    QFETCH(QList<int>, arrivals);
    QFETCH(int, reads);

    ReceiveBuffer buffer = makeBuffer(size, 2, 2);
    QList<quint64> positions;
    QList<quint64> firstBytes;
    const auto read = [&] {
        const StreamPosition at = buffer.position();
        const QByteArray bytes = buffer.take();
        if (bytes.isEmpty())
            return;
        QCOMPARE(quint64(at.run), quint64(0));
        positions << at.byte;
        firstBytes << quint8(bytes.at(0));
    };
    int next = 0;
    for (const int arrival : arrivals) {
        QByteArray bytes;
        for (int i = 0; i < arrival; ++i)
            bytes += char(next++);
        buffer.arrive(bytes, [&](SerialEvent event) {
            if (event == SerialEvent::Receive && size > 6) {
                read();
                buffer.skip(skipAfterRead);
            }
            for (int i = 0; event == SerialEvent::Overflow && i < takeOnOverflow; ++i)
                read();
        });
        if (size <= 6)
            while (buffer.count() > 0)
                read();
    }
    QCOMPARE(positions, firstBytes);
    QCOMPARE(positions.size(), reads);
    QVERIFY(next < 256);

    buffer.discard();
    QCOMPARE(quint64(buffer.position().run), quint64(1));
    QCOMPARE(quint64(buffer.position().byte), quint64(0));
}

QTEST_GUILESS_MAIN(TestReceiveBuffer)
#include "tst_receive_buffer.moc"
