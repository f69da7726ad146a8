#pragma once
#include "CQXChannelCycle.h"
#include "CQXFrameReader.h"
#include "CQXFrameStartScanner.h"
#include "CQXPictureRestorer.h"
#include "CQXStreamFrameHistory.h"

#include <cstdint>

class CQXPacketSource;

// One step of a device stream's playback in a play mode, as the device manager's worker and
// `qvtool frames` take it: the skip or the backward landing that the mode and the channel cycle
// ask for, one read, the cycle's bookkeeping, the true picture of a frame shown out of stream
// order, and the mode the step leads to by itself.
//
// Forward modes read on, "ff8" to "ff32" skipping packets that hold a frame start at a cycle's
// start. Backward modes land on the exact frame CQXChannelCycle names, counting frame starts (a
// packet may hold several), and the frame they show carries its true picture (CQXPictureRestorer):
// exactly what forward play shows for it, so forward play after them goes on correctly.
class CQXPlaybackStepper {
public:
    explicit CQXPlaybackStepper(CQXPacketSource& source, CQXFrameReader::AbortWait abortWait = {});

    // One step in `mode` (any mode that reads): CQXFrameReader's result. A video frame is then
    // the reader's completed frame; a read that met sound or a given-up wait before its frame
    // completed is finished by the next step.
    int Step(std::uint32_t mode);
    // The mode that the step just taken in `mode` leads to by itself, or "none": "onef" (at
    // packet 0) when the stream's start was reached, "oner" at its end, "pause" after the cycle
    // of a single step.
    std::uint32_t GetNextMode(std::uint32_t mode, int result) const;
    // True when the last step ended because the reader gave up waiting for a frame's release.
    bool WasInterrupted() const { return m_interrupted; }

    // Jumps to packet `packet` (or past the stream's end); a new cycle begins there.
    void Seek(std::uint32_t packet);
    void SeekToEnd();
    // The next frame begins a new cycle (a pause).
    void EndCycle() { m_cycle.EndCycle(); }
    // Another stream: forget its packets and pictures.
    void Forget();

    CQXFrameReader& GetReader() { return m_reader; }
    const CQXChannelCycle& GetCycle() const { return m_cycle; }
    const CQXPictureRestorer& GetRestorer() const { return m_restorer; }

private:
    int ForwardSkip(std::uint32_t mode) const;
    int Land(int cycles);

    CQXPacketSource& m_source;
    CQXFrameReader::AbortWait m_abortWait;
    CQXFrameReader m_reader;
    CQXFrameStartScanner m_scanner;
    CQXStreamFrameHistory m_history;
    CQXPictureRestorer m_restorer;
    CQXChannelCycle m_cycle;
    bool m_interrupted = false;
    // A backward landing whose frame has not come yet, and its place.
    bool m_landed = false;
    std::uint64_t m_landing = 0;
};
