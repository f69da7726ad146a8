#pragma once
#include "CQXFrameHistory.h"
#include "CQXFrameReader.h"

class CQXFrameStartScanner;
class CQXPacketSource;

// A device stream's frames for the picture restorer: earlier frames found by the start scanner,
// frames loaded by a reader of its own, so the playing reader keeps its place and its frames.
class CQXStreamFrameHistory : public CQXFrameHistory {
public:
    CQXStreamFrameHistory(CQXPacketSource& source, CQXFrameStartScanner& scanner);

    bool GetPreviousFrame(std::uint64_t place, Frame& previous) override;
    const CQXVideoFrame* LoadFrame(std::uint64_t place) override;

private:
    CQXFrameStartScanner& m_scanner;
    CQXFrameReader m_reader;
    CQXVideoFrame* m_loaded = nullptr;
};
