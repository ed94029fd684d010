// Small helpers shared by the fuzz targets: reading the fuzzer's input front to back (so hand-made
// seeds read like scripts) and failing loudly on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run so libFuzzer records the input; the text says which rule broke.
[[noreturn]] inline void fuzzFail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void fuzzCheck(bool ok, const char *what)
{
    if (!ok)
        fuzzFail(what);
}

// Hands out the input's bytes in order; once they run out it hands out zeros, so every script
// ends in a well-defined way.
class ByteReader
{
public:
    ByteReader(const std::uint8_t *data, std::size_t size)
        : m_next(data)
        , m_end(data + size)
    {
    }

    bool atEnd() const { return m_next == m_end; }
    std::size_t remaining() const { return std::size_t(m_end - m_next); }
    const std::uint8_t *position() const { return m_next; }

    std::uint8_t byte() { return atEnd() ? 0 : *m_next++; }
    std::uint16_t word()
    {
        const std::uint16_t low = byte();
        return std::uint16_t(low | (byte() << 8));
    }
    // A value in low..high taken from one byte (two when the span needs more), evenly enough.
    int range(int low, int high)
    {
        const unsigned span = unsigned(high - low) + 1;
        const unsigned raw = span <= 256 ? byte() : word();
        return low + int(raw % span);
    }

private:
    const std::uint8_t *m_next;
    const std::uint8_t *m_end;
};
