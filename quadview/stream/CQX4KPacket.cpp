#include "CQX4KPacket.h"

#include "KWErrorReport.h"
#include "KWExitHook.h"
#include "QXChannelSet.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <cstring>
#include <utility>

void QXExchangeBytes(std::uint8_t* data, std::uint32_t length) {
    // Eight bytes at a time: every packet read passes through here.
    constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
    std::uint32_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        word = ((word & kEvenBytes) << 8) | ((word >> 8) & kEvenBytes);
        std::memcpy(data + i, &word, sizeof word);
    }
    for (; i + 1 < length; i += 2)
        std::swap(data[i], data[i + 1]);
}

CQX4KPacket::CQX4KPacket() {
    m_className = "CQX4KPacket";
    if (!Allocate(kSize)) {
        ReportFatalError(m_className, "Memory Allocation Failed");
        KWExitProcess(0);
    }
}

void CQX4KPacket::Reset() {
    std::memset(GetData(), 0, kHeaderSize);
}

void CQX4KPacket::ExchangeBytes() {
    QXExchangeBytes(GetData(), kSize);
}

int CQX4KPacket::GetType() const {
    const std::uint8_t* header = GetData();
    if ((header[0] & 0x80) && header[6] == kAudioMarker && (header[7] & 0xF0) == 0xF0)
        return kTypeAudio;
    return GetTimestamp().IsValid() ? kTypeData : kTypeNone;
}

bool CQX4KPacket::IsValid() const {
    return GetTimestamp().IsValid() && QXChannelSet::Count(GetChannelSet()) != 0;
}

bool CQX4KPacket::HasVideoStart() const {
    const std::uint8_t* begin = GetPayload();
    const std::uint8_t* end = begin + kPayloadSize;
    return std::search(begin, end, QXVideoStartCode::kBytes, QXVideoStartCode::kBytes + 4) != end;
}
