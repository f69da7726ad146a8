#include "QXMysVideoRecord.h"

#include "CQXVideoFrame.h"
#include "QXChannelSet.h"
#include "QXMysRecordHeader.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <unistd.h>

namespace QXMysVideoRecord {

// The record holds the start code and the frame; the frame goes to the buffer's start, and the
// next frame's start code is put back after it as the stream would have it.
bool Load(int file, std::uint64_t dataOffset, const QXMysRecordHeader& header,
          CQXVideoFrame& frame) {
    const std::uint32_t length = header.length;
    const std::uint32_t body =
        length > QXMysRecordHeader::kVideoLead ? length - QXMysRecordHeader::kVideoLead : 0;
    const std::uint32_t take = std::min(body, frame.GetSize());
    // A record cut off by the file's end would be shown with a previous frame's bytes.
    if (pread(file, frame.GetData(), take,
              static_cast<off_t>(dataOffset + QXMysRecordHeader::kVideoLead)) !=
        static_cast<ssize_t>(take))
        return false;
    frame.SetLength(length);
    for (std::uint32_t i = 1; i < QXVideoStartCode::kLength; ++i)
        frame.SetAt(length - QXVideoStartCode::kLength + i, QXVideoStartCode::kBytes[i - 1]);
    frame.SetAt(length, QXVideoStartCode::kBytes[QXVideoStartCode::kLength - 1]);
    frame.FindSlices();
    const bool composite = header.channels & QXChannelSet::kCompositeBit;
    frame.SetChannelSetFromRecord(composite ? 0xFF : header.channels);
    frame.SetTimestamp(header.timestamp);
    return true;
}

std::uint8_t Channel(const QXMysRecordHeader& header, std::uint8_t frameHeader) {
    if (header.channels & QXChannelSet::kCompositeBit)
        return QXChannelSet::kCompositeIndex;
    return CQXVideoFrame::ChannelOf(frameHeader);
}

} // namespace QXMysVideoRecord
