// The serial control's receive rules; see the header.
#include "serial/receive_buffer.h"

#include <algorithm>

void ReceiveBuffer::setSize(int size)
{
    m_size = std::max(size, 0);
}

void ReceiveBuffer::setThreshold(int threshold)
{
    m_threshold = std::max(threshold, 0);
}

void ReceiveBuffer::setInputLength(int length)
{
    m_inputLength = std::max(length, 0);
}

void ReceiveBuffer::arrive(const QByteArray &bytes, const EventHandler &onEvent)
{
    const std::uint64_t epoch = m_epoch;
    bool overflowRaised = false;
    qsizetype next = std::min<qsizetype>(m_skipOwed, bytes.size());
    m_skipOwed -= int(next);
    while (next < bytes.size()) {
        const qsizetype room = m_size - m_waiting.size();
        if (room > 0) {
            const qsizetype n = std::min(room, bytes.size() - next);
            m_waiting.append(bytes.constData() + next, n);
            next += n;
            if (!raiseReceiveEvents(onEvent, epoch))
                return;
            continue;
        }
        ++next; // lost: the buffer is full and the handler made no room
        if (!overflowRaised) {
            overflowRaised = true;
            onEvent(SerialEvent::Overflow);
            if (m_epoch != epoch)
                return;
        }
    }
}

bool ReceiveBuffer::raiseReceiveEvents(const EventHandler &onEvent, std::uint64_t epoch)
{
    if (m_threshold == 0)
        return true;
    while (m_waiting.size() >= m_threshold) {
        const qsizetype before = m_waiting.size();
        onEvent(SerialEvent::Receive);
        if (m_epoch != epoch)
            return false;
        if (m_waiting.size() >= before)
            break;
    }
    return true;
}

QByteArray ReceiveBuffer::take()
{
    const qsizetype n = m_inputLength > 0 ? std::min<qsizetype>(m_inputLength, m_waiting.size())
                                          : m_waiting.size();
    QByteArray taken = m_waiting.first(n);
    m_waiting.remove(0, n);
    return taken;
}

void ReceiveBuffer::skip(int count)
{
    const qsizetype now = std::clamp<qsizetype>(count, 0, m_waiting.size());
    m_waiting.remove(0, now);
    m_skipOwed += std::max(count, 0) - int(now);
}

void ReceiveBuffer::discard()
{
    m_waiting.clear();
    m_skipOwed = 0;
    ++m_epoch;
}
