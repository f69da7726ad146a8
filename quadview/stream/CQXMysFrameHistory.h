#pragma once
#include "CQXFrameHistory.h"
#include "CQXVideoFrame.h"

#include <memory>

// A MYS file's video records for the picture restorer: earlier records by their back links,
// each loaded whole into a frame of its own, so the player keeps its ring of frames.
class CQXMysFrameHistory : public CQXFrameHistory {
public:
    // The open file to walk (the player's; it stays the player's), or -1 for none.
    void Attach(int file);

    bool GetPreviousFrame(std::uint64_t place, Frame& previous) override;
    const CQXVideoFrame* LoadFrame(std::uint64_t place) override;

private:
    int m_file = -1;
    std::unique_ptr<CQXVideoFrame> m_frame;
};
