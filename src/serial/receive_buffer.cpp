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
        const qsizetype room = m_size - count();
        if (room > 0) {
            const qsizetype n = std::min(room, bytes.size() - next);
            compact();
            m_waiting.append(bytes.constData() + next, n);
            next += n;
            if (!raiseReceiveEvents(onEvent, epoch))
                return;
            continue;
        }
        ++next; // lost: the buffer is full and the handler made no room
        noteLost(1);
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
    while (count() >= m_threshold) {
        const int before = count();
        onEvent(SerialEvent::Receive);
        if (m_epoch != epoch)
            return false;
        if (count() >= before)
            break;
    }
    return true;
}

QByteArray ReceiveBuffer::take()
{
    return takeView().toByteArray();
}

QByteArrayView ReceiveBuffer::takeView()
{
    const qsizetype n = m_inputLength > 0 ? std::min<qsizetype>(m_inputLength, count()) : count();
    const QByteArrayView taken(m_waiting.constData() + m_head, n);
    m_head += n;
    pass(n);
    return taken;
}

void ReceiveBuffer::compact()
{
    if (m_head == 0)
        return;
    // resize(0) keeps the allocation, so a buffer that is emptied and refilled never reallocates.
    if (m_head == m_waiting.size())
        m_waiting.resize(0);
    else
        m_waiting.remove(0, m_head);
    m_head = 0;
}

void ReceiveBuffer::skip(int bytes)
{
    const qsizetype now = std::clamp<qsizetype>(bytes, 0, count());
    m_head += now;
    m_skipOwed += std::max(bytes, 0) - int(now);
    pass(std::max(bytes, 0));
}

void ReceiveBuffer::discard()
{
    m_waiting.resize(0);
    m_head = 0;
    m_skipOwed = 0;
    ++m_epoch;
    ++m_run;
    m_passed = 0;
    m_losses.clear();
}

void ReceiveBuffer::pass(qsizetype bytes)
{
    m_passed += std::uint64_t(bytes);
    while (!m_losses.empty() && m_losses.front().at <= m_passed) {
        m_passed += m_losses.front().bytes;
        m_losses.erase(m_losses.begin());
    }
}

void ReceiveBuffer::noteLost(qsizetype bytes)
{
    // Behind every byte still waiting, and behind the bytes lost before them.
    std::uint64_t at = m_passed + std::uint64_t(count());
    for (const Loss &loss : m_losses)
        at += loss.bytes;
    if (!m_losses.empty() && m_losses.back().at + m_losses.back().bytes == at)
        m_losses.back().bytes += std::uint64_t(bytes);
    else if (at == m_passed)
        m_passed += std::uint64_t(bytes);
    else
        m_losses.push_back({ at, std::uint64_t(bytes) });
}
