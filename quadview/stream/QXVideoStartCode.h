#pragma once
#include <cstdint>

// The four bytes that begin every video frame and every slice of the stream.
namespace QXVideoStartCode {
constexpr std::uint8_t kBytes[4] = {0x00, 0x00, 0x01, 0xF8};
constexpr std::uint32_t kLength = 4;
} // namespace QXVideoStartCode
