#include "CQXFrameStartScanner.h"

#include "CQXPacketSource.h"
#include "QXStreamPlace.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t kLastCodeByte = QXVideoStartCode::kBytes[QXVideoStartCode::kLength - 1];
} // namespace

CQXFrameStartScanner::CQXFrameStartScanner(CQXPacketSource& source) : m_source(source) {}

void CQXFrameStartScanner::Forget() {
    for (Slot& slot : m_slots)
        slot.used = 0;
}

const CQX4KPacket* CQXFrameStartScanner::Read(std::uint32_t index) {
    ++m_clock;
    Slot* oldest = &m_slots[0];
    for (Slot& slot : m_slots) {
        if (slot.used != 0 && slot.index == index) {
            slot.used = m_clock;
            return &slot.packet;
        }
        if (slot.used < oldest->used)
            oldest = &slot;
    }
    oldest->packet.Reset();
    if (!m_source.ReadPacket(index, oldest->packet)) {
        oldest->used = 0;
        return nullptr;
    }
    oldest->index = index;
    oldest->used = m_clock;
    return &oldest->packet;
}

const CQX4KPacket* CQXFrameStartScanner::AdjacentData(std::uint32_t index, int step) {
    const std::uint32_t length = m_source.GetStreamLength();
    while ((step < 0 && index > 0) || (step > 0 && index < length)) {
        index = step < 0 ? index - 1 : index + 1;
        const CQX4KPacket* packet = Read(index);
        if (!packet)
            return nullptr;
        const int type = packet->GetType();
        if (type == CQX4KPacket::kTypeData)
            return packet;
        if (type != CQX4KPacket::kTypeAudio)
            return nullptr;
    }
    return nullptr;
}

bool CQXFrameStartScanner::HasPrefixBefore(std::uint32_t at) {
    for (std::uint32_t i = 1; i <= kPrefix; ++i) {
        std::uint8_t byte;
        if (at - i >= CQX4KPacket::kHeaderSize) {
            byte = m_bytes[at - i];
        } else {
            if (m_tailState == Tail::kUnknown) {
                const CQX4KPacket* before = AdjacentData(m_current, -1);
                m_tailState = before ? Tail::kKnown : Tail::kNone;
                if (before)
                    std::memcpy(m_tail.data(), before->GetData() + CQX4KPacket::kSize - kPrefix,
                                kPrefix);
            }
            if (m_tailState == Tail::kNone)
                return false;
            // Offsets 5-7 stand for the last three payload bytes of the packet before.
            byte = m_tail[at - i - (CQX4KPacket::kHeaderSize - kPrefix)];
        }
        if (byte != QXVideoStartCode::kBytes[kPrefix - i])
            return false;
    }
    return true;
}

std::uint8_t CQXFrameStartScanner::HeaderAfter(std::uint32_t at) {
    if (at + 1 < CQX4KPacket::kSize)
        return m_bytes[at + 1];
    const CQX4KPacket* after = AdjacentData(m_current, 1);
    return after ? after->GetPayload()[0] : kUnreadableHeader;
}

bool CQXFrameStartScanner::FindBefore(std::uint64_t place, Start& start) {
    const std::uint32_t length = m_source.GetStreamLength();
    std::uint32_t packet = QXStreamPlace::Packet(place);
    std::uint32_t below = QXStreamPlace::Offset(place);
    bool passLast = false;
    if (packet > length) {
        packet = length;
        below = CQX4KPacket::kSize;
        passLast = true;
    }
    for (;; --packet, below = CQX4KPacket::kSize) {
        const CQX4KPacket* data = Read(packet);
        if (data && data->GetType() == CQX4KPacket::kTypeData) {
            m_current = packet;
            std::memcpy(m_bytes.data(), data->GetData(), CQX4KPacket::kSize);
            m_channelSet = data->GetChannelSet();
            m_tailState = Tail::kUnknown;
            for (std::uint32_t at = below; at-- > CQX4KPacket::kHeaderSize;) {
                if (m_bytes[at] != kLastCodeByte || !HasPrefixBefore(at))
                    continue;
                if (passLast) {
                    passLast = false;
                    continue;
                }
                start.place = QXStreamPlace::Of(packet, at);
                start.header = HeaderAfter(at);
                start.channelSet = m_channelSet;
                return true;
            }
        }
        if (packet == 0)
            return false;
    }
}
