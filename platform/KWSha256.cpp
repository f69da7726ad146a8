#include "KWSha256.h"

#include <openssl/evp.h>

#include <new>

KWSha256::KWSha256() : m_context(EVP_MD_CTX_new()) {
    if (m_context == nullptr || EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1)
        throw std::bad_alloc();
}

KWSha256::~KWSha256() {
    EVP_MD_CTX_free(m_context);
}

void KWSha256::Update(const std::uint8_t* data, std::size_t length) {
    if (length != 0)
        EVP_DigestUpdate(m_context, data, length);
}

KWSha256::Digest KWSha256::Finish() {
    Digest digest{};
    unsigned int size = 0;
    EVP_DigestFinal_ex(m_context, digest.data(), &size);
    EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr);
    return digest;
}

std::string KWSha256::Hex(const std::uint8_t* data, std::size_t length) {
    KWSha256 sha;
    sha.Update(data, length);
    return Hex(sha.Finish());
}

std::string KWSha256::Hex(const Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}
