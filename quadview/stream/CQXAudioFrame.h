#pragma once
#include "CKWBuffer.h"

#include <cstdint>

class CQX4KPacket;

// One block of companded 8-bit audio samples on its way from a reader (device stream or MYS
// file) to the wave output and the MYS recorder. A block taken from a device packet keeps the
// packet's exchanged byte order until the wave output exchanges it back.
class CQXAudioFrame : public CKWBuffer_BYTE {
public:
    static constexpr std::uint32_t kSize = 4000;

    // The capacity is the recorder's 4000-byte block unless a reader needs a longer one.
    explicit CQXAudioFrame(std::uint32_t capacity = kSize);

    void Reset();
    // Takes the audio block of an audio packet: length 4000, ready. Returns 0 and leaves the
    // frame alone for any other packet.
    [[nodiscard]] int LoadPacket(const CQX4KPacket& packet);

    std::uint16_t GetLength() const { return m_length; }
    // Lengths beyond the capacity are cut to it, so no reader of the frame runs past its data.
    void SetLength(std::uint32_t length);
    int GetFlag() const { return m_flag; }
    void SetFlag(int flag) { m_flag = flag; }

private:
    std::uint16_t m_length = 0;
    int m_flag = 0;
};
