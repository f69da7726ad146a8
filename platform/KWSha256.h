#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct evp_md_ctx_st;

// SHA-256 message digest through OpenSSL's libcrypto: fingerprints of decoded pictures and the
// hashes of exported evidence and of the drive bytes it came from.
class KWSha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    KWSha256();
    ~KWSha256();
    KWSha256(const KWSha256&) = delete;
    KWSha256& operator=(const KWSha256&) = delete;

    void Update(const std::uint8_t* data, std::size_t length);
    // The digest of everything given so far; the hash then starts afresh.
    Digest Finish();

    // The digest of `length` bytes as 64 lower-case hexadecimal digits.
    static std::string Hex(const std::uint8_t* data, std::size_t length);
    // A digest as 64 lower-case hexadecimal digits.
    static std::string Hex(const Digest& digest);

private:
    evp_md_ctx_st* m_context;
};
