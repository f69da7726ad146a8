#pragma once
#include "QXTimestamp.h"

#include <cstdint>

// The 28 bytes before each record of a MYS file. Every record names the data length of the one
// before it, so a reader can step backwards through the file. Stored little-endian.
struct QXMysRecordHeader {
    static constexpr std::uint32_t kSize = 28;
    static constexpr std::uint32_t kVideoMagic = 0xF21FF22F;
    static constexpr std::uint32_t kAudioMagic = 0xF04EF22F;
    // Offset of the key flag within the header; a search for key records tests it directly.
    static constexpr std::uint32_t kKeyFlagOffset = 27;
    // The key flag of a record buffer that holds no record.
    static constexpr std::uint8_t kFree = 2;
    // Video data begins with the frame start code; audio data with this many filler bytes.
    static constexpr std::uint32_t kVideoLead = 4;
    static constexpr std::uint32_t kAudioLead = 8;

    std::uint32_t magic = 0;
    std::uint32_t sequence = 0;
    std::uint32_t timeDifference = 0; // video: ms since the previous video record; audio: 0
    std::uint32_t previousLength = 0; // data length of the record before, 0 for the first
    std::uint32_t length = 0;         // data length of this record
    QXTimestamp timestamp;
    std::uint8_t channels = 0; // bit 0 channel 1 ... bit 3 channel 4, bit 4 the composite
    std::uint8_t keyFlag = 0;  // video: 1 for a key frame

    static QXMysRecordHeader FromBytes(const std::uint8_t* bytes);
    // Reads the header at `offset` of an open file; false when 28 bytes cannot be read there.
    static bool Read(int file, std::uint64_t offset, QXMysRecordHeader& header);
    void ToBytes(std::uint8_t* bytes) const;

    bool IsVideo() const { return magic == kVideoMagic; }
    bool IsAudio() const { return magic == kAudioMagic; }
    // One of the two magics with a key flag of 0 or 1.
    bool IsRecord() const { return (IsVideo() || IsAudio()) && keyFlag < kFree; }
    bool IsKeyVideo() const { return IsVideo() && keyFlag == 1; }
    // True when a key video record header begins at `bytes`.
    static bool IsKeyVideoAt(const std::uint8_t* bytes);

    // The record channel byte of a stream channel set: bits 0-3 reversed, bit 4 kept.
    static std::uint8_t ChannelsFromSet(std::uint8_t channelSet);
    bool operator==(const QXMysRecordHeader&) const = default;
};
