// Fuzzes the serial control over the scripted device: bytes arrive in chunks of any size while
// the OnComm handler reads, discards, closes, reopens and pulls the adapter from inside its
// events. Checks that what comes out went in, in order and once; that the buffer never holds more
// than its size; that events come only on an open port, one at a time; and that an overflow is
// raised exactly when bytes are lost.
#include "fake_serial_device.h"
#include "fuzz_support.h"
#include "serial/serial_control.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace {

// What one opening of the port has been fed and has handed out. Byte k fed to opening j has the
// value (k + 97 j) mod 256, so a byte left over from an earlier opening rarely fits the current
// one. Bytes may go missing only where an overflow was raised (or by a discard); everything else
// must come out contiguously. Because values repeat every 256 bytes, the possible positions of
// the last byte handed out are tracked as a small set rather than guessed.
class StreamCheck
{
public:
    void start(int opening)
    {
        *this = StreamCheck();
        m_offset = 97 * opening;
    }

    QByteArray feed(int n)
    {
        QByteArray bytes(n, Qt::Uninitialized);
        for (int i = 0; i < n; ++i)
            bytes[i] = char(valueAt(m_fed + i));
        m_fed += n;
        return bytes;
    }

    // Everything fed so far is gone: nothing before this point may come out any more.
    void discardAll()
    {
        m_last = { m_fed - 1 };
        m_windows.clear();
        m_base = m_fed;
        m_handed = 0;
    }

    // An overflow was raised during the arrival that began with byte `from`: any byte from there
    // up to the end of the arrival may have been lost.
    void lossPossibleFrom(qint64 from)
    {
        from = std::max(from, m_base);
        if (!m_windows.empty() && m_windows.back().second >= from)
            m_windows.back().second = kOpenEnd;
        else
            m_windows.emplace_back(from, kOpenEnd);
    }

    void endArrival()
    {
        if (!m_windows.empty() && m_windows.back().second == kOpenEnd)
            m_windows.back().second = m_fed;
    }

    void handedOut(const QByteArray &bytes)
    {
        for (char c : bytes) {
            const int value = quint8(c);
            std::vector<qint64> next;
            for (qint64 last : m_last)
                nextPositions(last, value, &next);
            fuzzCheck(!next.empty(), "a byte came out never fed, twice or out of order");
            std::sort(next.begin(), next.end());
            next.erase(std::unique(next.begin(), next.end()), next.end());
            m_last.clear();
            for (qint64 s : next) {
                // A later position reachable through lost bytes only is covered by the earlier.
                const Window *window = m_last.empty() ? nullptr : windowAt(m_last.back() + 1);
                if (!window || window->second <= s)
                    m_last.push_back(s);
            }
            ++m_handed;
        }
        const qint64 earliest = m_last.front();
        m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                            [earliest](const Window &w) { return w.second <= earliest + 1; }),
            m_windows.end());
    }

    qint64 fed() const { return m_fed; }
    // Bytes fed since the last discard that have not come out: waiting or lost.
    qint64 notHandedOut() const { return m_fed - m_base - m_handed; }

private:
    using Window = std::pair<qint64, qint64>; // [first, end) of bytes that may have been lost
    static constexpr qint64 kOpenEnd = std::numeric_limits<qint64>::max();

    int valueAt(qint64 seq) const { return int((seq + m_offset) & 0xff); }

    // Where a byte of this value can be if the last one came from `last`: the first match among
    // the bytes that may have been lost right after it (any later match there is reachable from
    // that one), or the first byte after them, which cannot have been lost.
    void nextPositions(qint64 last, int value, std::vector<qint64> *next) const
    {
        bool matchedInRun = false;
        for (qint64 s = last + 1; s < m_fed;) {
            const Window *window = windowAt(s);
            if (!window) {
                if (valueAt(s) == value)
                    next->push_back(s);
                return;
            }
            const qint64 match = s + ((value - valueAt(s)) & 0xff);
            if (!matchedInRun && match < std::min(window->second, m_fed)) {
                next->push_back(match);
                matchedInRun = true;
            }
            s = window->second;
        }
    }
    const Window *windowAt(qint64 seq) const
    {
        for (const Window &w : m_windows) {
            if (seq >= w.first && seq < w.second)
                return &w;
        }
        return nullptr;
    }

    std::vector<qint64> m_last { -1 }; // possible positions of the last byte handed out
    std::vector<Window> m_windows;
    qint64 m_fed = 0;
    qint64 m_base = 0;
    qint64 m_handed = 0;
    int m_offset = 0;
};

struct Profile
{
    int size;
    int threshold;
    int inputLength;
};

// The program's own receive profiles; the fuzzer also makes up small ones.
constexpr Profile kProgramProfiles[] = {
    { 4100, 2000, 1 },
    { 4000, 2, 2 },
    { 4000, 31, 31 },
    { 4000, 2000, 1 },
    { 12000, 4000, 1 },
};
constexpr int kPorts[] = { 0, 1, 2, 9 }; // 1 and 2 have devices behind them
constexpr qint64 kByteBudget = 200000; // per input, to keep each run short

class Harness
{
public:
    explicit Harness(ByteReader &in)
        : m_in(in)
    {
        m_ports.next(1);
        m_ports.next(2);
        m_control.setNullDiscard(false);
        QObject::connect(&m_control, &SerialControl::OnComm, &m_control, [this] { onComm(); });
        QObject::connect(&m_control, &SerialControl::deviceFailed, &m_control, [this] {
            fuzzCheck(!m_control.PortOpen(), "a failed device left the port open");
            fuzzCheck(m_control.InBufferCount() == 0, "a failed device left bytes waiting");
        });
    }

    void run()
    {
        applyProfile();
        reopen(1);
        while (!m_in.atEnd())
            act(m_in.byte(), false);
    }

private:
    void act(int action, bool inEvent)
    {
        switch (action % 16) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            read();
            break;
        case 5:
            while (m_control.InBufferCount() > 0 && m_control.PortOpen())
                read();
            break;
        case 6:
            break;
        case 7:
            discard();
            break;
        case 8:
            close();
            break;
        case 9:
            reopen(m_control.CommPort());
            break;
        case 10:
            reopen(kPorts[m_in.range(0, 3)]);
            break;
        case 11:
            pull();
            break;
        case 12:
        case 13:
            feed(chunkSize());
            break;
        case 14:
            // The program changes the profile only with the port closed.
            if (!inEvent)
                applyProfile();
            break;
        case 15:
            if (!inEvent) {
                const int port = m_in.range(1, 2);
                m_ports.next(port)->failOpenWith(SerialError::PortInUse);
                m_failNext[port] = true;
            }
            break;
        }
    }

    int chunkSize()
    {
        const int n = m_in.byte();
        return n < 224 ? n : (n - 223) * 500; // now and then enough to fill the largest buffer
    }

    void applyProfile()
    {
        close();
        const int pick = m_in.range(0, 7);
        Profile p;
        if (pick < 5)
            p = kProgramProfiles[pick];
        else
            p = { m_in.range(0, 64), m_in.range(0, 66), m_in.range(0, 66) };
        m_control.setInBufferSize(p.size);
        m_control.setRThreshold(p.threshold);
        m_control.setInputLen(p.inputLength);
    }

    void onComm()
    {
        fuzzCheck(m_control.PortOpen(), "an event was raised on a closed port");
        fuzzCheck(m_feedDepth > 0, "an event was raised with nothing arriving");
        fuzzCheck(m_eventDepth == 0, "an event was raised inside another event");
        const int count = m_control.InBufferCount();
        fuzzCheck(count <= m_control.InBufferSize(), "the buffer holds more than its size");
        switch (m_control.CommEvent()) {
        case SerialEvent::Receive:
            fuzzCheck(m_control.RThreshold() > 0 && count >= m_control.RThreshold(),
                "a receive event with fewer bytes waiting than the threshold");
            m_receiveSeen = true;
            break;
        case SerialEvent::Overflow:
            fuzzCheck(count == m_control.InBufferSize(), "an overflow with room in the buffer");
            m_overflowSeen = true;
            m_stream.lossPossibleFrom(m_feedStart);
            break;
        default:
            fuzzFail("an event other than receive or overflow");
        }
        QScopedValueRollback<int> depth(m_eventDepth, 1);
        const int action = m_in.byte();
        act(action, true);
        if (action & 0x80)
            act(m_in.byte(), true);
    }

    void read()
    {
        const bool open = m_control.PortOpen();
        const int waiting = m_control.InBufferCount();
        const int length = m_control.InputLen();
        const QString text = QString::fromLatin1(m_control.takeInput().toByteArray());
        fuzzCheck(text.size() == (length > 0 ? std::min(length, waiting) : waiting),
            "a read took other than InputLen bytes of those waiting");
        fuzzCheck(m_control.InBufferCount() == waiting - text.size(),
            "a read left the wrong number of bytes waiting");
        if (!open) {
            fuzzCheck(text.isEmpty(), "a closed port handed out bytes");
            return;
        }
        for (QChar c : text)
            fuzzCheck(c.unicode() <= 0xff, "a character that cannot be a byte");
        m_stream.handedOut(text.toLatin1());
    }

    void discard()
    {
        m_control.setInBufferCount(0);
        fuzzCheck(m_control.InBufferCount() == 0, "a discard left bytes waiting");
        if (m_control.PortOpen())
            m_stream.discardAll();
        m_disturbed = true;
    }

    void close()
    {
        m_control.setPortOpen(false);
        fuzzCheck(!m_control.PortOpen(), "the port stayed open");
        fuzzCheck(m_control.InBufferCount() == 0, "a closed port has bytes waiting");
        m_device = nullptr;
        m_disturbed = true;
    }

    void reopen(int port)
    {
        close();
        m_control.setCommPort(port);
        const int error = m_control.setPortOpen(true);
        fuzzCheck((error == SerialError::None) == m_control.PortOpen(),
            "the opening's result disagrees with PortOpen");
        int expected = SerialError::InvalidPort;
        if (port == 1 || port == 2)
            expected = std::exchange(m_failNext[port], false) ? SerialError::PortInUse
                                                              : SerialError::None;
        fuzzCheck(error == expected, "an opening gave the wrong result");
        if (error != SerialError::None)
            return;
        m_device = m_ports.current(port);
        fuzzCheck(m_device && m_device->isOpen(), "the opening did not open its device");
        fuzzCheck(m_control.InBufferCount() == 0, "a fresh opening has bytes waiting");
        m_stream.start(++m_openings);
        m_feedStart = 0;
    }

    void pull()
    {
        if (!m_device || !m_control.PortOpen())
            return;
        m_device->pull();
        fuzzCheck(!m_control.PortOpen(), "a pulled adapter left the port open");
        m_device = nullptr;
        m_disturbed = true;
    }

    void feed(int n)
    {
        if (!m_device || !m_control.PortOpen())
            return;
        n = int(std::min<qint64>(n, m_budget));
        m_budget -= n;
        if (m_feedDepth > 0) {
            // As if a handler's nested event loop let more bytes in: the arrival in progress
            // picks them up after its own.
            m_device->feed(m_stream.feed(n));
            return;
        }

        QScopedValueRollback<int> depth(m_feedDepth, 1);
        m_overflowSeen = m_receiveSeen = m_disturbed = false;
        m_feedStart = m_stream.fed();
        const qint64 lostBefore = lost();
        m_device->feed(m_stream.feed(n));
        m_stream.endArrival();

        const int count = m_control.InBufferCount();
        fuzzCheck(count <= m_control.InBufferSize(), "the buffer holds more than its size");
        if (!m_control.PortOpen() || m_disturbed)
            return;
        const qint64 lostNow = lost();
        fuzzCheck(lostNow >= lostBefore, "more bytes came out or wait than went in");
        if (m_overflowSeen)
            fuzzCheck(lostNow > lostBefore, "an overflow was raised but no byte was lost");
        else
            fuzzCheck(lostNow == lostBefore, "bytes were lost without an overflow");
        const bool entered = m_stream.fed() - m_feedStart > lostNow - lostBefore;
        if (entered && !m_receiveSeen && m_control.RThreshold() > 0)
            fuzzCheck(count < m_control.RThreshold(),
                "bytes reached the threshold without a receive event");
    }

    qint64 lost() const { return m_stream.notHandedOut() - m_control.InBufferCount(); }

    ByteReader &m_in;
    FakeSerialPorts m_ports; // outlives the control
    SerialControl m_control { m_ports.factory() };
    StreamCheck m_stream;
    QPointer<FakeSerialDevice> m_device; // the device of the current opening
    std::map<int, bool> m_failNext;
    int m_openings = 0;
    int m_eventDepth = 0;
    int m_feedDepth = 0;
    qint64 m_budget = kByteBudget;
    // About the arrival in progress.
    qint64 m_feedStart = 0;
    bool m_overflowSeen = false;
    bool m_receiveSeen = false;
    bool m_disturbed = false; // discarded, closed or reopened: the accounting starts over
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Devices closed inside their own signals are deleted later, through the event queue.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ByteReader in(data, size);
    {
        Harness harness(in);
        harness.run();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
