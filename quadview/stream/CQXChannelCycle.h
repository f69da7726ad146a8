#pragma once
#include <cstdint>

// The channel cycle of a play - one frame of each recorded channel - and where a backward mode
// goes next. Frames are named by their place in the stream: any number that grows along it (the
// end of a device frame's start code, the offset of a MYS record).
//
// Backward modes show whole cycles one frame at a time, the latest frame first. At a cycle's
// start a mode that moves N cycles back per cycle shown goes to the frame (N - 1) * C + 1 frames
// before the lowest frame of the cycle just shown (C the channels of the cycle); within a cycle it
// goes to the frame before the one shown last. So "rev" shows every frame in reverse order, "oner"
// the whole cycle before the one on screen, "rewN" every Nth cycle.
class CQXChannelCycle {
public:
    // Nothing is shown yet (a start, a jump): backward modes go back from `place`.
    void Restart(std::uint64_t place);
    // A frame of the channel set `channelSet` at `place` was shown.
    void Count(std::uint64_t place, std::uint8_t channelSet);
    // A backward mode went to `place` but could show nothing there (a broken frame): its next
    // step takes the frame before it instead.
    void Pass(std::uint64_t place);
    // The next frame begins a new cycle.
    void EndCycle() { m_counter = 0; }
    // Before any frame was shown, the channel set the stream is known to have (from a packet
    // header), so that the first backward step already moves in whole cycles.
    void LearnChannels(std::uint8_t channelSet);
    bool KnowsChannels() const { return m_channelsKnown; }

    // Where a backward mode moving `cycles` channel cycles per cycle shown goes next: the frame
    // `frames` frames before `anchor`.
    void BackwardTarget(int cycles, std::uint64_t& anchor, int& frames) const;

    bool IsCycleStart() const { return m_counter == 0; }
    std::uint8_t GetCounter() const { return m_counter; }
    std::uint8_t GetChannelCount() const { return m_channelCount; }

private:
    void SetChannels(std::uint8_t channelSet);

    std::uint8_t m_channelCount = 1;
    bool m_channelsKnown = false;
    std::uint8_t m_counter = 0;
    std::uint64_t m_lastShown = 0;
    // The lowest place shown in the cycle under way, or in the one just ended.
    std::uint64_t m_lowest = 0;
    bool m_passed = false;
};
