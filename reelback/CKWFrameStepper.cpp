#include "CKWFrameStepper.h"

#include <algorithm>

int CKWFrameStepper::ClampStep(int step) {
    return std::clamp(step, kMinStep, kMaxStep);
}

void CKWFrameStepper::Start(double seconds, bool inclusive, bool backward, int step) {
    m_backward = backward;
    m_step = ClampStep(step);
    m_pending.clear();
    // Half a frame period separates "this frame" from its neighbours despite rounded times.
    const double half = m_decoder.GetFramePeriod() / 2;
    if (backward) {
        m_limit = inclusive ? seconds + half : seconds - half;
    } else {
        m_limit = inclusive ? seconds - half : seconds + half;
        m_decoder.SeekKeyFrame(seconds);
    }
}

CKWMediaDecoder::Result CKWFrameStepper::Next(KWVideoFrame& out) {
    return m_backward ? NextBackward(out) : NextForward(out);
}

CKWMediaDecoder::Result CKWFrameStepper::NextForward(KWVideoFrame& out) {
    for (;;) {
        const CKWMediaDecoder::Result result = m_decoder.ReadFrame(out, IsKeyOnly());
        if (result != CKWMediaDecoder::Result::Frame || out.seconds >= m_limit) {
            return result;
        }
    }
}

CKWMediaDecoder::Result CKWFrameStepper::NextBackward(KWVideoFrame& out) {
    if (m_pending.empty()) {
        const CKWMediaDecoder::Result result = FillBackward();
        if (result != CKWMediaDecoder::Result::Frame) {
            return result;
        }
    }
    out = std::move(m_pending.back());
    m_pending.pop_back();
    return CKWMediaDecoder::Result::Frame;
}

// Collects the frames before the limit, starting from key frames ever further back until some
// are found; none before the first key frame means the start was reached.
CKWMediaDecoder::Result CKWFrameStepper::FillBackward() {
    const double stride = std::max(1.0, m_decoder.GetFramePeriod());
    for (double target = m_limit; target > -stride; target -= stride) {
        const CKWMediaDecoder::Result result = CollectBefore(target, m_limit);
        if (result == CKWMediaDecoder::Result::Error) {
            return result;
        }
        if (!m_pending.empty()) {
            const double half = m_decoder.GetFramePeriod() / 2;
            m_limit = m_pending.front().seconds - half;
            return CKWMediaDecoder::Result::Frame;
        }
    }
    return CKWMediaDecoder::Result::End;
}

CKWMediaDecoder::Result CKWFrameStepper::CollectBefore(double target, double limit) {
    m_decoder.SeekKeyFrame(target);
    KWVideoFrame frame;
    for (;;) {
        const CKWMediaDecoder::Result result = m_decoder.ReadFrame(frame, IsKeyOnly());
        if (result == CKWMediaDecoder::Result::Error) {
            return result;
        }
        if (result == CKWMediaDecoder::Result::End || frame.seconds >= limit) {
            return CKWMediaDecoder::Result::Frame;
        }
        m_pending.push_back(std::move(frame));
        if (m_pending.size() > kReverseWindow) {
            m_pending.pop_front();
        }
    }
}
