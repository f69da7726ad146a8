#include "CQXVideoFrame.h"

#include "CQXVideoDecoder.h"
#include "KWErrorReport.h"
#include "KWExitHook.h"
#include "QXChannelSet.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <cstring>

namespace {
bool IsStartCode(const std::uint8_t* p) {
    return std::equal(p, p + QXVideoStartCode::kLength, QXVideoStartCode::kBytes);
}

bool IsSlicePrefix(const std::uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 1;
}
} // namespace

CQXVideoFrame::CQXVideoFrame() {
    m_className = "CQXVideoFrame";
    if (!Allocate(kCapacity)) {
        ReportFatalError(m_className, "Memory Allocation Failed");
        KWExitProcess(0);
    }
    Reset();
}

void CQXVideoFrame::Reset() {
    m_inFrame = false;
    m_fillLength = 0;
    m_timestamp.Clear();
    m_channelSet = 0;
    m_sliceCount = 0;
    std::fill(std::begin(m_sliceOffsets), std::end(m_sliceOffsets), 0u);
    m_decodedPicture.reset();
    SetComplete(false);
}

void CQXVideoFrame::RecordSlice(std::uint32_t offset) {
    m_sliceOffsets[m_sliceCount++] = offset;
}

void CQXVideoFrame::Feed(const std::uint8_t*& pointer, std::uint16_t& length,
                         const QXTimestamp& timestamp, std::uint8_t channelSet) {
    if (!m_inFrame) {
        while (length >= QXVideoStartCode::kLength) {
            if (IsStartCode(pointer)) {
                pointer += QXVideoStartCode::kLength;
                length -= QXVideoStartCode::kLength;
                m_inFrame = true;
                break;
            }
            ++pointer;
            --length;
        }
    }
    if (m_fillLength + length > kCapacity) {
        Reset();
        length = 0;
        return;
    }
    if (!m_inFrame) {
        length = 0;
        return;
    }

    std::uint8_t* data = GetData();
    std::memcpy(data + m_fillLength, pointer, length);
    const std::uint32_t first = m_fillLength;
    const std::uint32_t end = m_fillLength + length;
    for (std::uint32_t examined = first; examined < end; ++examined) {
        if (m_sliceCount >= kMaxSlices) {
            Reset();
            length = 0;
            return;
        }
        m_fillLength = examined + 1;
        if (examined < 3)
            continue;
        const std::uint8_t* window = data + examined - 3;
        if (IsSlicePrefix(window + 1)) {
            RecordSlice(examined - 2);
        } else if (IsStartCode(window) && m_sliceCount != 0) {
            m_timestamp = timestamp;
            m_channelSet = QXChannelSet::Bits(channelSet);
            // The last slice recorded was the 00 00 01 of this start code.
            --m_sliceCount;
            const std::uint32_t consumed = examined + 1 - first;
            pointer += consumed;
            length = static_cast<std::uint16_t>(length - consumed);
            SetComplete(true);
            return;
        }
    }
    length = 0;
}

void CQXVideoFrame::FindSlices() {
    m_sliceCount = 0;
    const std::uint8_t* data = GetData();
    for (std::int64_t i = 0; i < std::int64_t{m_fillLength} - 3; ++i) {
        if (m_sliceCount >= kMaxFoundSlices)
            break;
        if (IsSlicePrefix(data + i))
            RecordSlice(static_cast<std::uint32_t>(i));
    }
}

std::uint8_t CQXVideoFrame::GetChannel() const {
    return IsComplete() ? ChannelOf(GetData()[0]) : kNoChannel;
}

std::uint8_t CQXVideoFrame::GetQuantiser() const {
    return (GetData()[0] >> 3) & 0x0F;
}

std::uint32_t CQXVideoFrame::IsKeyFrame() const {
    return IsComplete() ? (IsKeyHeader(GetData()[0]) ? 1u : 0u) : kNotComplete;
}

std::uint8_t CQXVideoFrame::GetSliceCount() const {
    return IsComplete() ? m_sliceCount : 0;
}

int CQXVideoFrame::GetSliceAddress(std::uint8_t index, const std::uint8_t*& address) const {
    if (!IsComplete() || index >= m_sliceCount) {
        address = nullptr;
        return 0;
    }
    address = GetData() + m_sliceOffsets[index];
    return 1;
}

std::uint32_t CQXVideoFrame::GetSliceOffset(std::uint8_t index) const {
    return index < m_sliceCount ? m_sliceOffsets[index] : 0;
}

const std::uint8_t* const* CQXVideoFrame::DecodeWith(CQXVideoDecoder& decoder) const {
    return m_decodedPicture ? decoder.LoadPicture(*m_decodedPicture) : decoder.Decode(this);
}

QXTimestamp CQXVideoFrame::GetTimestamp() const {
    return IsComplete() ? m_timestamp : QXTimestamp{};
}

void CQXVideoFrame::SetLength(std::uint32_t length) {
    m_fillLength = std::min(length, kCapacity);
}

void CQXVideoFrame::SetChannelSetFromRecord(std::uint8_t recordChannels) {
    std::uint8_t set = recordChannels & QXChannelSet::kCompositeBit;
    for (int channel = 0; channel < 4; ++channel)
        if (recordChannels & (1 << channel))
            set |= static_cast<std::uint8_t>(1 << (3 - channel));
    m_channelSet = set;
    if (set & QXChannelSet::kCompositeBit) {
        std::uint8_t& header = GetData()[0];
        header = static_cast<std::uint8_t>((header & ~0x07) | QXChannelSet::kCompositeIndex);
    }
}
