#pragma once
#include <cstdint>

class CQXVideoFrame;

// Where the readers of a stream (drive playback, the MYS player) hand their complete video
// frames: the screen manager in the viewer, a recording stand-in in tests.
class CQXVideoSink {
public:
    virtual ~CQXVideoSink() = default;
    // Takes a complete frame from the producer's thread. The frame comes back to the producer
    // when the sink resets it, which may happen at once (a full queue).
    virtual void SubmitFrame(CQXVideoFrame* frame) = 0;
    // The channels on screen now, as a channel set: what a capture records as shown.
    virtual std::uint8_t GetDisplayMask() const = 0;
};
