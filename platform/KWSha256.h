#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 message digest (FIPS 180-4), for fingerprints of decoded pictures.
class KWSha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    KWSha256();
    void Update(const std::uint8_t* data, std::size_t length);
    Digest Finish();

    // The digest of `length` bytes as 64 lower-case hexadecimal digits.
    static std::string Hex(const std::uint8_t* data, std::size_t length);

private:
    void Compress(const std::uint8_t block[64]);

    std::uint32_t m_state[8];
    std::uint8_t m_block[64] = {};
    std::size_t m_used = 0;
    std::uint64_t m_length = 0; // bytes so far
};
