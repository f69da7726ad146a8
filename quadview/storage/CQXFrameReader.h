#pragma once
#include "CQX4KPacket.h"
#include "CQXVideoFrame.h"

#include <cstdint>
#include <functional>

class CQXPacketSource;

// Walks a stream packet by packet as forward and backward play read it: it assembles video
// frames in two frames used alternately and hands out audio packets. A completed frame belongs
// to its consumer until the consumer resets it; the reader never refills a frame that is still
// complete and waits for its release only when it must feed that frame.
//
// Every call delivers at most one frame: when a frame completes inside a packet, the rest of
// the packet is kept and fed first on the next call, so several small frames in one packet are
// all delivered. Every packet up to and including the stream length is read. Each frame is
// named by the place of its start code (QXStreamPlace), so that backward play can land on it
// again.
class CQXFrameReader {
public:
    enum Result { kNothing = 0, kVideo = 1, kAudio = 2 };
    static constexpr std::uint8_t kNoFrame = 255;
    // Asked every millisecond while the reader waits for a frame's release; returning true
    // gives up the wait: ReadFrame then returns kNothing and keeps its place.
    using AbortWait = std::function<bool()>;

    explicit CQXFrameReader(CQXPacketSource& source, AbortWait abortWait = {});

    // Skips `skip` packets holding a frame start forward (> 0), then reads until a video frame
    // completes (kVideo) or an audio packet is read (kAudio). kNothing: the stream's end was
    // reached, a packet could not be read or is neither audio nor data.
    int ReadFrame(int skip);
    // Starts collecting afresh with the frame whose start code ends at `place` and reads as
    // ReadFrame(0) does; a kAudio or a given-up wait leaves the frame to the next ReadFrame(0).
    int ReadFrameAt(std::uint64_t place);

    // The frame completed by the last ReadFrame that returned kVideo, else null.
    CQXVideoFrame* GetCompletedFrame();
    // The packet in which that frame was completed.
    std::uint32_t GetCompletedPacket() const { return m_completedPacket; }
    // The place of that frame's start code.
    std::uint64_t GetCompletedPlace() const { return m_completedPlace; }
    // The packet read last: after kAudio it holds the audio bytes.
    const CQX4KPacket& GetPacket() const { return m_packet; }

    // The next packet to read.
    std::uint32_t GetPosition() const { return m_position; }
    // Moves to packet `position` and starts collecting afresh.
    void Seek(std::uint32_t position);
    bool IsAtStart() const { return m_position == 0; }
    // True once the last packet of the stream has been read and fed.
    bool IsAtEnd() const;
    // Starts collecting afresh at the next start code: the kept bytes are dropped and the fill
    // frame is reset (unless its consumer still holds it).
    void ResetFill();

private:
    int ReadNextPacket();
    int SkipForward(int skip);
    // Feeds the kept bytes to the fill frame, noting where its start code was found.
    void FeedFill(CQXVideoFrame& fill);
    // Waits until the fill frame is released; false when the wait was given up.
    bool WaitForFillFrame();

    CQXPacketSource& m_source;
    AbortWait m_abortWait;
    CQX4KPacket m_packet;
    CQXVideoFrame m_frames[2];
    std::uint32_t m_position = 0;
    std::uint32_t m_packetIndex = 0;
    std::uint8_t m_fill = 0;
    std::uint8_t m_completed = kNoFrame;
    std::uint32_t m_completedPacket = 0;
    std::uint64_t m_completedPlace = 0;
    // The start code that completed the other frame began this one.
    bool m_fillStarted = false;
    // Where the fill frame's start code lies, once known.
    std::uint64_t m_fillPlace = 0;
    // Payload bytes of m_packet not fed yet.
    const std::uint8_t* m_kept = nullptr;
    std::uint16_t m_keptLength = 0;
};
