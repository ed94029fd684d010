// The serial control's receive rules as plain logic: buffer size, receive threshold, input length
// and overflow, with no I/O and no event loop, so a test can drive it byte by byte.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <vector>

// The events an arrival raises, numbered as the serial control reports them in CommEvent.
enum class SerialEvent {
    None = 0,
    Receive = 2, // at least the threshold's bytes wait
    Overflow = 1008, // a byte arrived with the buffer full and was lost
};

// Where a byte lies in the stream a port delivers: the run it came in and how many bytes of that
// run came before it, whether they were taken, skipped or lost to an overflow. A run starts at
// every discard, so at every opening and closing: what the port held before is not counted.
struct StreamPosition
{
    std::uint64_t run = 0;
    std::uint64_t byte = 0;
};

class ReceiveBuffer
{
public:
    // Called for each event an arrival raises; it may take(), discard() or do nothing.
    using EventHandler = std::function<void(SerialEvent event)>;

    int size() const { return m_size; }
    void setSize(int size);
    // 0 raises no receive events.
    int threshold() const { return m_threshold; }
    void setThreshold(int threshold);
    // 0 makes take() return everything that waits.
    int inputLength() const { return m_inputLength; }
    void setInputLength(int length);

    int count() const { return int(m_waiting.size() - m_head); }

    // Adds one arrival's bytes in order and raises the events they make due:
    // - a receive event whenever at least threshold() bytes wait; within the arrival it is raised
    //   again only while the handler keeps taking bytes, so a handler that takes nothing hears
    //   nothing more until more bytes come in;
    // - a byte that finds the buffer full is lost, and the arrival raises one overflow event (at
    //   the first loss; a handler that makes room lets the later bytes in).
    // A discard() from inside the handler drops the rest of the arrival with the waiting bytes.
    // Not re-entrant: a handler must not call arrive().
    void arrive(const QByteArray &bytes, const EventHandler &onEvent);

    // Removes and returns at most inputLength() bytes, all of them when it is 0.
    QByteArray take();
    // The same without a copy: the view stays valid until the next arrive(), skip() or discard().
    QByteArrayView takeView();
    // Drops the next count bytes of the stream: those waiting first, then as many of the next
    // arrivals' as are still owed. Used to step back onto a pair boundary.
    void skip(int bytes);
    void discard();

    // The position of the next byte take() hands out.
    StreamPosition position() const { return { m_run, m_passed }; }

private:
    // Returns false when the handler discarded.
    bool raiseReceiveEvents(const EventHandler &onEvent, std::uint64_t epoch);

    // Drops the bytes already taken from the front, so appending starts from a packed buffer.
    void compact();
    // Counts bytes taken or skipped, and the lost ones behind them once they are passed.
    void pass(qsizetype bytes);
    void noteLost(qsizetype bytes);

    // Taking moves m_head on; the bytes before it are dropped at the next arrival, so a run of
    // small takes never shifts the rest of the buffer each time.
    QByteArray m_waiting;
    qsizetype m_head = 0;
    int m_size = 1024;
    int m_threshold = 0;
    int m_inputLength = 0;
    int m_skipOwed = 0; // bytes skip() still has to drop from the next arrivals
    std::uint64_t m_epoch = 0; // bumped by discard(), so an arrival notices it

    struct Loss
    {
        std::uint64_t at; // position of the first byte lost
        std::uint64_t bytes;
    };
    std::uint64_t m_run = 0;
    std::uint64_t m_passed = 0;
    // Bytes an overflow lost behind those still waiting; counted as the take reaches them.
    std::vector<Loss> m_losses;
};
