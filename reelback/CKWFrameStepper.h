#pragma once
#include "CKWMediaDecoder.h"

#include <deque>

// Chooses the frames to show for a play direction and speed step, without any timing:
// forward steps read on from a position; backward steps decode each group of pictures forward
// and hand its frames out in reverse. From the first key-frame-only step on, only key frames
// are decoded.
class CKWFrameStepper {
public:
    static constexpr int kMinStep = 1;
    static constexpr int kMaxStep = 6;
    static constexpr int kFirstKeyOnlyStep = 4;
    // Frames held at most while reversing; longer groups are reversed piecewise.
    static constexpr std::size_t kReverseWindow = 32;

    explicit CKWFrameStepper(CKWMediaDecoder& decoder) : m_decoder(decoder) {}

    static int ClampStep(int step);
    static int SpeedOfStep(int step) { return 1 << (ClampStep(step) - 1); }

    // Starts a run at the position. Inclusive: a frame at the position itself comes first (a seek);
    // otherwise the run continues after (forward) or before (backward) the frame shown there.
    void Start(double seconds, bool inclusive, bool backward, int step);
    CKWMediaDecoder::Result Next(KWVideoFrame& out);

    bool IsBackward() const { return m_backward; }
    int GetStep() const { return m_step; }
    bool IsKeyOnly() const { return m_step >= kFirstKeyOnlyStep; }

private:
    CKWMediaDecoder::Result NextForward(KWVideoFrame& out);
    CKWMediaDecoder::Result NextBackward(KWVideoFrame& out);
    CKWMediaDecoder::Result FillBackward();
    CKWMediaDecoder::Result CollectBefore(double target, double limit);

    CKWMediaDecoder& m_decoder;
    bool m_backward = false;
    int m_step = kMinStep;
    double m_limit = 0; // forward: first acceptable time; backward: frames must lie below it
    std::deque<KWVideoFrame> m_pending;
};
