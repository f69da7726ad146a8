#pragma once
#include "CQX4KPacket.h"

#include <array>
#include <cstdint>

class CQXPacketSource;

// Finds a device stream's frame starts going backwards, as the forward reader would meet them:
// start codes in the payloads of data packets, one split between two data packets included
// (audio packets between them change nothing). Places are QXStreamPlace values.
class CQXFrameStartScanner {
public:
    struct Start {
        std::uint64_t place = 0;     // of the start code's last byte
        std::uint8_t header = 0;     // the frame's first byte: channel, quantiser, key bit
        std::uint8_t channelSet = 0; // of the packet the start code ends in
    };
    // The header byte given for a frame whose first byte cannot be read: channel 7 (none).
    static constexpr std::uint8_t kUnreadableHeader = 0x07;

    explicit CQXFrameStartScanner(CQXPacketSource& source);

    // The frame start nearest before `place`. Looking back from past the stream's end, the
    // stream's last start code is passed over: the frame it begins never completes. Unreadable
    // packets and packets that are neither audio nor data hold no starts. False when there is
    // no start before `place`.
    bool FindBefore(std::uint64_t place, Start& start);
    // Forgets the packets read (another stream).
    void Forget();

private:
    static constexpr std::size_t kCachedPackets = 8;
    static constexpr std::uint32_t kPrefix = 3; // start code bytes before its last one

    struct Slot {
        std::uint32_t index = 0;
        std::uint32_t used = 0; // 0: empty
        CQX4KPacket packet;
    };

    // The packet from the cache or the source; null when it cannot be read.
    const CQX4KPacket* Read(std::uint32_t index);
    // The nearest data packet after (step 1) or before (step -1) `index`, passing over audio
    // packets; null at the stream's edge or at a packet that is neither (the stream breaks).
    const CQX4KPacket* AdjacentData(std::uint32_t index, int step);
    // True when the bytes before offset `at` of the current packet are 00 00 01.
    bool HasPrefixBefore(std::uint32_t at);
    std::uint8_t HeaderAfter(std::uint32_t at);

    CQXPacketSource& m_source;
    std::array<Slot, kCachedPackets> m_slots;
    std::uint32_t m_clock = 0;
    // The packet being searched, copied, and the payload tail of the data packet before it.
    std::uint32_t m_current = 0;
    std::array<std::uint8_t, CQX4KPacket::kSize> m_bytes{};
    std::uint8_t m_channelSet = 0;
    std::array<std::uint8_t, kPrefix> m_tail{};
    enum class Tail { kUnknown, kNone, kKnown } m_tailState = Tail::kUnknown;
};
