#pragma once
#include "CKWBuffer.h"
#include "QXTimestamp.h"

#include <cstdint>

// One 4096-byte packet of the recorded stream: an 8-byte header (recording time, interval code,
// channel set) and 4088 bytes of video stream, or 4000 bytes of audio.
class CQX4KPacket : public CKWBuffer_BYTE {
public:
    static constexpr std::uint32_t kSize = 4096;
    static constexpr std::uint32_t kSectorSize = 512;
    static constexpr std::uint32_t kSectors = kSize / kSectorSize;
    static constexpr std::uint32_t kHeaderSize = 8;
    static constexpr std::uint32_t kPayloadSize = kSize - kHeaderSize;
    static constexpr std::uint32_t kAudioSize = 4000;
    static constexpr std::uint8_t kAudioMarker = 0xF1;

    enum Type { kTypeNone = 0, kTypeAudio = 1, kTypeData = 2 };

    CQX4KPacket();

    void Reset();
    // The recorder stores 16-bit words with their bytes exchanged; undo that in place.
    void ExchangeBytes();
    int GetType() const;
    bool IsValid() const;
    // What the data scan counts as recorded: a valid packet, or an audio packet, whose bytes 1-5
    // need not form a valid time.
    bool IsRecorded() const { return IsValid() || GetType() == kTypeAudio; }
    // True when 00 00 01 F8 lies wholly inside the payload.
    bool HasVideoStart() const;

    std::uint8_t* GetPayload() { return GetData() + kHeaderSize; }
    const std::uint8_t* GetPayload() const { return GetData() + kHeaderSize; }
    std::uint32_t GetPayloadSize() const { return kPayloadSize; }

    QXTimestamp GetTimestamp() const { return QXTimestamp::FromBytes(GetData()); }
    std::uint8_t GetIntervalCode() const { return GetData()[6]; }
    std::uint8_t GetChannelSet() const { return GetData()[7]; }
};

// Exchanges the bytes of every 16-bit word of a buffer of even length.
void QXExchangeBytes(std::uint8_t* data, std::uint32_t length);
