#pragma once
#include <cstdint>

// Reads a byte string as bits, most significant bit first. It never reads a byte outside
// [begin, end); bits past the end read as zeros.
class QXBitReader {
public:
    QXBitReader(const std::uint8_t* begin, const std::uint8_t* end) : m_next(begin), m_end(end) {
        Refill();
    }

    // The next `count` bits (1..32) without consuming them.
    std::uint32_t Peek(int count) {
        if (m_bits < count)
            Refill();
        return Show(count);
    }
    void Skip(int count) {
        if (m_bits < count)
            Refill();
        Drop(count);
    }
    std::uint32_t Read(int count) {
        const std::uint32_t value = Peek(count);
        Skip(count);
        return value;
    }

    // For fields read in quick succession: Fill caches at least 32 bits, after which Show and
    // Drop may take that many bits in all without a check.
    void Fill() {
        if (m_bits < 32)
            Refill();
    }
    std::uint32_t Show(int count) const {
        return static_cast<std::uint32_t>(m_cache >> (64 - count));
    }
    void Drop(int count) {
        m_cache <<= count;
        m_bits -= count;
    }

private:
    // Leaves at least 32 bits in the cache: at least 56 while data remains, then zero bits.
    void Refill() {
        if (m_end - m_next >= 8) {
            std::uint64_t word = 0;
            for (int i = 0; i < 8; ++i)
                word = (word << 8) | m_next[i];
            const int bytes = (63 - m_bits) >> 3;
            m_cache |= word >> m_bits;
            m_next += bytes;
            m_bits += bytes * 8;
            return;
        }
        while (m_bits <= 56 && m_next < m_end) {
            m_cache |= std::uint64_t{*m_next++} << (56 - m_bits);
            m_bits += 8;
        }
        if (m_bits < 32)
            m_bits += 32; // the cache's low bits are zero: they pad past the end
    }

    const std::uint8_t* m_next;
    const std::uint8_t* m_end;
    std::uint64_t m_cache = 0;
    int m_bits = 0; // valid bits at the top of m_cache
};
