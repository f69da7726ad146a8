#pragma once
#include "CKWBuffer.h"
#include "KWWaveFormat.h"

#include <atomic>
#include <cstdint>

// One playback buffer of the wave output: 8000 16-bit samples, the header that queues them on
// the device, and the in-use mark that the producer sets and the device's done notification
// clears (on the audio thread).
class CKWWaveBuffer : public CKWBuffer_SHORT {
public:
    static constexpr std::uint32_t kSamples = 8000;
    static constexpr std::uint32_t kBytes = kSamples * sizeof(std::int16_t);

    CKWWaveBuffer();

    // Header back to its storage and full length, everything else cleared; not in use.
    void Reset();

    KWWaveHeader& GetHeader() { return m_header; }
    bool IsInUse() const { return m_inUse.load(std::memory_order_acquire); }
    void SetInUse(bool inUse) { m_inUse.store(inUse, std::memory_order_release); }

private:
    KWWaveHeader m_header;
    std::atomic<bool> m_inUse{false};
};
