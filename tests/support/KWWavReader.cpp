#include "KWWavReader.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {
std::uint32_t Get16(const std::vector<char>& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8);
}
std::uint32_t Get32(const std::vector<char>& bytes, std::size_t at) {
    return Get16(bytes, at) | (Get16(bytes, at + 2) << 16);
}
} // namespace

KWWavContents KWReadWavFile(const std::string& path) {
    KWWavContents wav;
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return wav;
    wav.riffSize = Get32(bytes, 4);
    if (wav.riffSize != bytes.size() - 8)
        return wav;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = Get32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body)
            return wav;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            wav.formatTag = static_cast<std::uint16_t>(Get16(bytes, body));
            wav.channels = static_cast<std::uint16_t>(Get16(bytes, body + 2));
            wav.samplesPerSecond = Get32(bytes, body + 4);
            wav.averageBytesPerSecond = Get32(bytes, body + 8);
            wav.blockAlign = static_cast<std::uint16_t>(Get16(bytes, body + 12));
            wav.bitsPerSample = static_cast<std::uint16_t>(Get16(bytes, body + 14));
            haveFormat = true;
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            if (!haveFormat || wav.bitsPerSample != 16 || size % 2 != 0)
                return wav;
            for (std::size_t i = 0; i < size; i += 2)
                wav.samples.push_back(static_cast<std::int16_t>(Get16(bytes, body + i)));
            wav.valid = true;
            return wav;
        }
        at = body + size + (size & 1);
    }
    return wav;
}
