#pragma once
#include <cstdint>
#include <vector>

// Appends bits to a byte vector, most significant bit first.
class QXBitWriter {
public:
    explicit QXBitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    // The low `count` bits of `value` (count 0..32).
    void Write(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = static_cast<std::uint8_t>((m_byte << 1) | ((value >> i) & 1));
            if (++m_used == 8)
                Flush();
        }
    }
    // A code given as a string of '0' and '1'.
    void WriteBits(const char* bits) {
        for (; *bits; ++bits)
            Write(static_cast<std::uint32_t>(*bits - '0'), 1);
    }
    // Pads the last byte with zero bits.
    void Align() {
        if (m_used > 0) {
            m_byte = static_cast<std::uint8_t>(m_byte << (8 - m_used));
            Flush();
        }
    }

private:
    void Flush() {
        m_out.push_back(m_byte);
        m_byte = 0;
        m_used = 0;
    }

    std::vector<std::uint8_t>& m_out;
    std::uint8_t m_byte = 0;
    int m_used = 0;
};
