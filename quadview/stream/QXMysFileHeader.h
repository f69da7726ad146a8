#pragma once
#include "QXTimestamp.h"

#include <cstdint>

// The 28 bytes that begin a MYS file: magic, file size, the first and last record times, the
// channels recorded (bit 7: PAL) and the record count. Stored little-endian.
struct QXMysFileHeader {
    static constexpr std::uint32_t kSize = 28;
    static constexpr std::uint32_t kMagic = 0xF14CF15E;
    static constexpr std::uint8_t kPalBit = 0x80;

    std::uint32_t magic = kMagic;
    std::uint32_t fileSize = 0;
    QXTimestamp firstTimestamp;
    QXTimestamp lastTimestamp;
    std::uint8_t channels = 0;     // byte 20
    std::uint8_t channelsCopy = 0; // byte 21, kept equal to byte 20
    std::uint32_t recordCount = 0;

    static QXMysFileHeader FromBytes(const std::uint8_t* bytes);
    void ToBytes(std::uint8_t* bytes) const;
    // 0 NTSC, 1 PAL, from bit 7 of the channel byte.
    std::uint32_t GetStandard() const { return (channels & kPalBit) ? 1 : 0; }
    bool operator==(const QXMysFileHeader&) const = default;
};
