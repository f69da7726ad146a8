#pragma once
#include "CQX4KPacket.h"
#include "QXTimestamp.h"

#include <cstdint>
#include <optional>

class CQXStorageDevice;
class KWRawDrive;

// Finds a recording time (to the minute) in a device's stream by bisecting packets 0 to L, the
// stream length, by their timestamps. A stream whose time does not rise from packet 0 to packet L
// has wrapped round the disk (the newest recording lies in front of the oldest) and is bisected
// by rules that keep the target's side of the wrap point. Every 50 steps the search looks one
// minute later; after 150 steps it gives up.
//
// Only data packets carry a reliable time: a probe that lands on any other packet (sound, or a
// packet without a valid header) takes the time of the nearest data packet after it, or, when
// none follows up to L, the nearest one before it. The probed index stays the jump target.
//
// Reads through a handle of its own on the device's drive, never through the device's position.
class CQXTimeSearch {
public:
    static constexpr std::uint32_t kStepsPerMinute = 50;
    static constexpr std::uint32_t kMaxSteps = 150;
    // Packets read at the end of the stream before the search, to learn that the drive reads.
    static constexpr std::uint32_t kTailPackets = 2;

    enum class Outcome { kFound, kNotFound, kReadError };
    struct Result {
        Outcome outcome = Outcome::kReadError;
        std::uint32_t packet = 0; // the probed packet whose time is the target's, when found
        std::uint32_t steps = 0;
    };

    // `handle` must be open on `device`'s drive; both must outlive the search.
    CQXTimeSearch(CQXStorageDevice& device, KWRawDrive& handle);

    Result Search(QXTimestamp target);

private:
    bool ReadTail();
    // The time a probe of packet `index` takes; false when a packet cannot be read.
    bool TimeAt(std::uint32_t index, QXTimestamp& time);
    // Reads packet `index`; false when it cannot be read.
    bool Read(std::uint32_t index);
    bool HoldsDataPacket() const;
    // The nearest data packet after `index` up to L, else before it; nothing when there is no
    // data packet at all. False when a packet cannot be read.
    bool NearestDataPacket(std::uint32_t index, std::optional<std::uint32_t>& found);

    CQXStorageDevice& m_device;
    KWRawDrive& m_handle;
    const std::uint32_t m_last;
    CQX4KPacket m_packet;
    // What earlier probes learned, so that a stretch without data packets is read once: no data
    // packet lies after m_dataEnd up to L, and m_lastData is the last one at or before m_dataEnd
    // once a backward look found it (or found none).
    std::uint32_t m_dataEnd;
    bool m_lastDataKnown = false;
    std::optional<std::uint32_t> m_lastData;
};
