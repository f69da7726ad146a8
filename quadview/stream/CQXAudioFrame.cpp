#include "CQXAudioFrame.h"

#include "CQX4KPacket.h"
#include "KWErrorReport.h"
#include "KWExitHook.h"

#include <algorithm>
#include <cstring>

CQXAudioFrame::CQXAudioFrame(std::uint32_t capacity) {
    m_className = "CQXAudioFrame";
    if (!Allocate(capacity)) {
        ReportFatalError(m_className, "Memory Allocation Failed");
        KWExitProcess(0);
    }
}

void CQXAudioFrame::Reset() {
    m_length = 0;
    m_flag = 0;
}

int CQXAudioFrame::LoadPacket(const CQX4KPacket& packet) {
    if (packet.GetType() != CQX4KPacket::kTypeAudio)
        return 0;
    Reset();
    const std::uint32_t length = std::min(CQX4KPacket::kAudioSize, GetSize());
    std::memcpy(GetData(), packet.GetPayload(), length);
    SetLength(length);
    SetFlag(1);
    return 1;
}

void CQXAudioFrame::SetLength(std::uint32_t length) {
    m_length = static_cast<std::uint16_t>(std::min({length, GetSize(), std::uint32_t{0xFFFF}}));
}
