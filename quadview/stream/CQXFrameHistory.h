#pragma once
#include <cstdint>

class CQXVideoFrame;

// A stream's frames as the picture restorer walks them: back from a frame one frame at a time,
// and each one loaded whole. Frames are named by their place in the stream (see
// CQXChannelCycle); a device reader and the MYS player each provide one over their own stream.
class CQXFrameHistory {
public:
    struct Frame {
        std::uint64_t place = 0;
        std::uint8_t channel = 0; // channel index of its header byte
        bool key = false;
    };

    virtual ~CQXFrameHistory() = default;
    // The frame just before the one at `place`; false at the stream's start or when the stream
    // cannot be read there.
    virtual bool GetPreviousFrame(std::uint64_t place, Frame& previous) = 0;
    // The frame at `place`, complete as its reader delivers it; valid until the next call. Null
    // when it cannot be loaded.
    virtual const CQXVideoFrame* LoadFrame(std::uint64_t place) = 0;
};
