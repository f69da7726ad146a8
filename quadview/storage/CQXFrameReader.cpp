#include "CQXFrameReader.h"

#include "CQXPacketSource.h"
#include "KWTick.h"
#include "QXStreamPlace.h"

CQXFrameReader::CQXFrameReader(CQXPacketSource& source, AbortWait abortWait)
    : m_source(source), m_abortWait(std::move(abortWait)) {}

CQXVideoFrame* CQXFrameReader::GetCompletedFrame() {
    return m_completed == kNoFrame ? nullptr : &m_frames[m_completed];
}

bool CQXFrameReader::IsAtEnd() const {
    return m_position > m_source.GetStreamLength() && m_keptLength == 0;
}

void CQXFrameReader::Seek(std::uint32_t position) {
    m_position = position;
    ResetFill();
}

void CQXFrameReader::ResetFill() {
    m_kept = nullptr;
    m_keptLength = 0;
    m_fillStarted = false;
    if (!m_frames[m_fill].IsComplete())
        m_frames[m_fill].Reset();
}

// Reads the packet at the position and moves past it, also when the read fails, so that a bad
// packet cannot stop the walk.
int CQXFrameReader::ReadNextPacket() {
    m_packet.Reset();
    m_packetIndex = m_position++;
    return m_source.ReadPacket(m_packetIndex, m_packet);
}

int CQXFrameReader::SkipForward(int skip) {
    while (skip > 0) {
        if (m_position > m_source.GetStreamLength() || !ReadNextPacket())
            return 0;
        if (m_packet.HasVideoStart())
            --skip;
    }
    ResetFill();
    return 1;
}

bool CQXFrameReader::WaitForFillFrame() {
    while (m_frames[m_fill].IsComplete()) {
        if (m_abortWait && m_abortWait())
            return false;
        KWSleep(1);
    }
    return true;
}

int CQXFrameReader::ReadFrameAt(std::uint64_t place) {
    m_completed = kNoFrame;
    Seek(QXStreamPlace::Packet(place));
    if (!ReadNextPacket() || m_packet.GetType() != CQX4KPacket::kTypeData)
        return kNothing;
    const std::uint32_t next = QXStreamPlace::Offset(place) + 1;
    m_kept = m_packet.GetData() + next;
    m_keptLength = static_cast<std::uint16_t>(CQX4KPacket::kSize - next);
    m_fillStarted = true;
    m_fillPlace = place;
    return ReadFrame(0);
}

void CQXFrameReader::FeedFill(CQXVideoFrame& fill) {
    const bool searching = !fill.IsInFrame();
    fill.Feed(m_kept, m_keptLength, m_packet.GetTimestamp(), m_packet.GetChannelSet());
    // The bytes after the start code found by this call are all in the frame now: the code's
    // last byte lies just before them.
    const std::uint32_t fed = fill.IsComplete()
                                  ? static_cast<std::uint32_t>(m_kept - m_packet.GetData())
                                  : CQX4KPacket::kSize;
    if (searching && (fill.IsInFrame() || fill.IsComplete()))
        m_fillPlace = QXStreamPlace::Of(m_packetIndex, fed - fill.GetLength() - 1);
    if (fill.IsComplete()) {
        m_completedPlace = m_fillPlace;
        m_fillPlace = QXStreamPlace::Of(m_packetIndex, fed - 1);
    }
}

int CQXFrameReader::ReadFrame(int skip) {
    m_completed = kNoFrame;
    if (skip > 0 && !SkipForward(skip))
        return kNothing;

    for (;;) {
        if (m_keptLength == 0) {
            if (m_position > m_source.GetStreamLength() || !ReadNextPacket())
                return kNothing;
            const int type = m_packet.GetType();
            if (type == CQX4KPacket::kTypeAudio)
                return kAudio;
            if (type != CQX4KPacket::kTypeData)
                return kNothing;
            m_kept = m_packet.GetPayload();
            m_keptLength = static_cast<std::uint16_t>(m_packet.GetPayloadSize());
        }
        while (m_keptLength > 0) {
            if (!WaitForFillFrame())
                return kNothing;
            CQXVideoFrame& fill = m_frames[m_fill];
            if (m_fillStarted) {
                fill.SetInFrame(true);
                m_fillStarted = false;
            }
            FeedFill(fill);
            if (fill.IsComplete()) {
                m_completed = m_fill;
                m_completedPacket = m_packetIndex;
                m_fill ^= 1;
                m_fillStarted = true;
                return kVideo;
            }
        }
    }
}
