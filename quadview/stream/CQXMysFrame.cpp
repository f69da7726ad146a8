#include "CQXMysFrame.h"

#include "CQXAudioFrame.h"
#include "CQXVideoFrame.h"
#include "KWErrorReport.h"
#include "KWExitHook.h"
#include "QXVideoStartCode.h"

#include <cstring>

CQXMysFrame::CQXMysFrame() {
    m_className = "CQXMysFrame";
    if (!Allocate(kCapacity)) {
        ReportFatalError(m_className, "Memory Allocation Failed");
        KWExitProcess(0);
    }
    Reset();
}

void CQXMysFrame::Reset() {
    m_header = QXMysRecordHeader{};
    m_header.keyFlag = QXMysRecordHeader::kFree;
    m_inUse.store(false, std::memory_order_release);
}

int CQXMysFrame::LoadVideo(const CQXVideoFrame& frame, std::uint32_t length) {
    if (length <= QXMysRecordHeader::kVideoLead || length > GetSize())
        return 0;
    std::uint8_t* data = GetData();
    std::memcpy(data, QXVideoStartCode::kBytes, QXVideoStartCode::kLength);
    std::memcpy(data + QXMysRecordHeader::kVideoLead, frame.GetData(),
                length - QXMysRecordHeader::kVideoLead);
    m_header.length = length;
    return 1;
}

int CQXMysFrame::LoadAudio(const CQXAudioFrame& frame) {
    const std::uint32_t block = frame.GetLength();
    if (block + QXMysRecordHeader::kAudioLead > GetSize())
        return 0;
    std::uint8_t* data = GetData();
    std::memset(data, 0, QXMysRecordHeader::kAudioLead);
    std::memcpy(data + QXMysRecordHeader::kAudioLead, frame.GetData(), block);
    m_header.length = block + QXMysRecordHeader::kAudioLead;
    return 1;
}
