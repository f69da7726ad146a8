#pragma once

class CQXAudioFrame;

// Where the readers of a stream hand their audio frames: the wave manager in the viewer.
class CQXAudioSink {
public:
    virtual ~CQXAudioSink() = default;
    // False while no output is open: frames offered then are dropped by the sink.
    virtual bool IsOpen() const = 0;
    // 1 when the frame was taken (or released while closed), 0 when the sink has no room now:
    // the caller offers the same frame again later. With swapBytes the frame's byte pairs are
    // exchanged back in place first.
    [[nodiscard]] virtual int Play(CQXAudioFrame& frame, bool swapBytes) = 0;
};
