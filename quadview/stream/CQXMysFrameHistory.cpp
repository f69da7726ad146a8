#include "CQXMysFrameHistory.h"

#include "QXMysFileHeader.h"
#include "QXMysRecordHeader.h"
#include "QXMysVideoRecord.h"

#include <unistd.h>

void CQXMysFrameHistory::Attach(int file) {
    m_file = file;
    if (!m_frame && file >= 0)
        m_frame = std::make_unique<CQXVideoFrame>();
}

// Places are record offsets; audio records are passed over.
bool CQXMysFrameHistory::GetPreviousFrame(std::uint64_t place, Frame& previous) {
    QXMysRecordHeader header;
    if (!QXMysRecordHeader::Read(m_file, place, header) || !header.IsRecord())
        return false;
    for (std::uint64_t offset = place;;) {
        const std::uint64_t back = std::uint64_t{header.previousLength} + QXMysRecordHeader::kSize;
        if (offset < QXMysFileHeader::kSize + back)
            return false;
        offset -= back;
        std::uint8_t frameHeader = 0;
        if (!QXMysRecordHeader::Read(m_file, offset, header) || !header.IsRecord())
            return false;
        if (!header.IsVideo())
            continue;
        if (pread(m_file, &frameHeader, 1,
                  static_cast<off_t>(offset + QXMysRecordHeader::kSize +
                                     QXMysRecordHeader::kVideoLead)) != 1)
            return false;
        previous.place = offset;
        previous.channel = QXMysVideoRecord::Channel(header, frameHeader);
        previous.key = header.IsKeyVideo();
        return true;
    }
}

const CQXVideoFrame* CQXMysFrameHistory::LoadFrame(std::uint64_t place) {
    QXMysRecordHeader header;
    if (!m_frame || !QXMysRecordHeader::Read(m_file, place, header) || !header.IsVideo())
        return nullptr;
    m_frame->Reset();
    if (!QXMysVideoRecord::Load(m_file, place + QXMysRecordHeader::kSize, header, *m_frame))
        return nullptr;
    m_frame->SetComplete(true);
    return m_frame.get();
}
