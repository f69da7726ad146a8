#include "CQXStreamFrameHistory.h"

#include "CQXFrameStartScanner.h"

CQXStreamFrameHistory::CQXStreamFrameHistory(CQXPacketSource& source, CQXFrameStartScanner& scanner)
    : m_scanner(scanner), m_reader(source) {}

bool CQXStreamFrameHistory::GetPreviousFrame(std::uint64_t place, Frame& previous) {
    CQXFrameStartScanner::Start start;
    if (!m_scanner.FindBefore(place, start))
        return false;
    previous.place = start.place;
    previous.channel = CQXVideoFrame::ChannelOf(start.header);
    previous.key = CQXVideoFrame::IsKeyHeader(start.header);
    return true;
}

// The frame loaded before is given back first, so that the reader never waits for it.
const CQXVideoFrame* CQXStreamFrameHistory::LoadFrame(std::uint64_t place) {
    if (m_loaded)
        m_loaded->Reset();
    m_loaded = nullptr;
    int result = m_reader.ReadFrameAt(place);
    while (result == CQXFrameReader::kAudio)
        result = m_reader.ReadFrame(0);
    if (result == CQXFrameReader::kVideo)
        m_loaded = m_reader.GetCompletedFrame();
    return m_loaded;
}
