#include "CQXPlaybackStepper.h"

#include "CQXPacketSource.h"
#include "QXPlayMode.h"
#include "QXStreamPlace.h"

namespace {
// Packets with a frame start skipped at a cycle start, in channel cycles, by fast forward.
constexpr int kForwardCycles[] = {1, 2, 3}; // ff8 .. ff32
} // namespace

CQXPlaybackStepper::CQXPlaybackStepper(CQXPacketSource& source, CQXFrameReader::AbortWait abortWait)
    : m_source(source), m_abortWait(std::move(abortWait)),
      m_reader(source,
               [this] {
                   m_interrupted = m_abortWait && m_abortWait();
                   return m_interrupted;
               }),
      m_scanner(source), m_history(source, m_scanner) {}

void CQXPlaybackStepper::Seek(std::uint32_t packet) {
    m_reader.Seek(packet);
    m_cycle.Restart(QXStreamPlace::Of(packet, 0));
    m_landed = false;
}

void CQXPlaybackStepper::SeekToEnd() {
    Seek(m_source.GetStreamLength() + 1);
}

void CQXPlaybackStepper::Forget() {
    m_scanner.Forget();
    m_restorer.Clear();
}

int CQXPlaybackStepper::ForwardSkip(std::uint32_t mode) const {
    if (mode < QXPlayMode::kFastForward8 || mode > QXPlayMode::kFastForward32 ||
        !m_cycle.IsCycleStart())
        return 0;
    return kForwardCycles[mode - QXPlayMode::kFastForward8] * m_cycle.GetChannelCount();
}

int CQXPlaybackStepper::Land(int cycles) {
    CQXFrameStartScanner::Start start;
    int frames = 0;
    m_cycle.BackwardTarget(cycles, start.place, frames);
    // Nothing shown since a jump: the packets tell how many channels a cycle has.
    if (!m_cycle.KnowsChannels() && m_scanner.FindBefore(start.place, start)) {
        m_cycle.LearnChannels(start.channelSet);
        m_cycle.BackwardTarget(cycles, start.place, frames);
    }
    for (int i = 0; i < frames; ++i) {
        if (!m_scanner.FindBefore(start.place, start)) {
            // Nothing before: the stream's start.
            m_reader.Seek(0);
            return CQXFrameReader::kNothing;
        }
    }
    m_landed = true;
    m_landing = start.place;
    return m_reader.ReadFrameAt(start.place);
}

int CQXPlaybackStepper::Step(std::uint32_t mode) {
    m_interrupted = false;
    const int cycles = QXPlayMode::BackwardCycles(mode);
    int result;
    if (m_landed) {
        result = m_reader.ReadFrame(0);
    } else if (cycles > 0) {
        result = Land(cycles);
    } else {
        // Forward play needs no pictures decoded ahead; single steps may turn back at once.
        if (mode != QXPlayMode::kOneForward)
            m_restorer.Clear();
        result = m_reader.ReadFrame(ForwardSkip(mode));
    }
    if (m_interrupted)
        return result;

    if (result == CQXFrameReader::kVideo) {
        CQXVideoFrame& frame = *m_reader.GetCompletedFrame();
        const std::uint64_t place = m_reader.GetCompletedPlace();
        m_cycle.Count(place, m_reader.GetPacket().GetChannelSet());
        if (m_landed)
            frame.SetDecodedPicture(m_restorer.Restore(frame, place, m_history));
        m_landed = false;
    } else if (result == CQXFrameReader::kNothing) {
        // A landing that shows nothing (a broken frame) is passed over by the next step.
        if (m_landed)
            m_cycle.Pass(m_landing);
        m_landed = false;
        m_reader.ResetFill();
    }
    return result;
}

std::uint32_t CQXPlaybackStepper::GetNextMode(std::uint32_t mode, int result) const {
    if (m_interrupted)
        return QXPlayMode::kNone;
    if (result == CQXFrameReader::kNothing) {
        if (m_reader.IsAtStart())
            return QXPlayMode::kOneForward;
        if (m_reader.IsAtEnd())
            return QXPlayMode::kOneReverse;
        return QXPlayMode::kNone;
    }
    if (result == CQXFrameReader::kVideo && m_cycle.IsCycleStart() &&
        (mode == QXPlayMode::kOneForward || mode == QXPlayMode::kOneReverse))
        return QXPlayMode::kPause;
    return QXPlayMode::kNone;
}
