#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Reads a PCM WAV file the way an outside player would: RIFF chunks walked by their sizes, the
// format from "fmt ", 16-bit little-endian samples from "data". `valid` is false for anything
// malformed or cut short.
struct KWWavContents {
    bool valid = false;
    std::uint32_t riffSize = 0;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::int16_t> samples;
};

KWWavContents KWReadWavFile(const std::string& path);
