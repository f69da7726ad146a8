#include "KWSha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string HexOf(const std::string& text) {
    return KWSha256::Hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
} // namespace

TEST(KWSha256, KnownVectors) {
    EXPECT_EQ(HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // 55 and 56 bytes: the padding fits in the last block or needs another one.
    EXPECT_EQ(HexOf(std::string(55, 'a')),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(HexOf(std::string(56, 'a')),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
}

TEST(KWSha256, PiecewiseUpdatesEqualOneUpdate) {
    const std::string million(1000000, 'a');
    KWSha256 sha;
    for (std::size_t i = 0; i < million.size(); i += 997)
        sha.Update(reinterpret_cast<const std::uint8_t*>(million.data()) + i,
                   std::min<std::size_t>(997, million.size() - i));
    const KWSha256::Digest digest = sha.Finish();
    EXPECT_EQ(digest[0], 0xcd);
    EXPECT_EQ(digest[1], 0xc7);
    EXPECT_EQ(digest[31], 0xd0);
    EXPECT_EQ(HexOf(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
