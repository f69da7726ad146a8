#pragma once
#include <cstdint>

// The format of a wave output: only linear PCM exists here.
struct KWWaveFormat {
    static constexpr std::uint16_t kPcm = 1;

    std::uint16_t formatTag = kPcm;
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;

    // A consistent PCM format: block alignment and byte rate derived from the other fields.
    static KWWaveFormat Pcm(std::uint16_t channels, std::uint32_t samplesPerSecond,
                            std::uint16_t bitsPerSample) {
        KWWaveFormat format;
        format.channels = channels;
        format.samplesPerSecond = samplesPerSecond;
        format.bitsPerSample = bitsPerSample;
        format.blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
        format.averageBytesPerSecond = samplesPerSecond * format.blockAlign;
        return format;
    }
};

// One buffer handed to a wave output. The caller owns the header and its samples until the
// output reports the buffer done (or it is returned by a reset).
struct KWWaveHeader {
    static constexpr std::uint32_t kDone = 0x01;
    static constexpr std::uint32_t kPrepared = 0x02;
    static constexpr std::uint32_t kInQueue = 0x10;

    std::int16_t* data = nullptr;
    std::uint32_t bufferLength = 0;  // bytes
    std::uint32_t bytesRecorded = 0; // bytes to play
    std::uintptr_t user = 0;
    std::uint32_t flags = 0;
    std::uint32_t loops = 0;
    KWWaveHeader* next = nullptr;
    std::uintptr_t reserved = 0;
};
