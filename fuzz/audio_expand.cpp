// Sound expansion: a block of companded bytes played through the wave manager at a volume,
// with or without the byte-pair exchange of device packets. The first two input bytes give the
// volume slider's position, the third the exchange; the rest is the block, which may be longer
// than one playback buffer. Every byte must come out as exactly one sample, the one the
// companding table gives it.
#include "CKWWaveBuffer.h"
#include "CKWWaveManager.h"
#include "CQXAudioFrame.h"
#include "KWMemoryWaveOutput.h"
#include "QXCompanding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
constexpr std::size_t kLead = 3;
constexpr std::uint32_t kCapacity = 3 * CKWWaveBuffer::kSamples;

// Opened once: closing the manager lets the device settle for a tenth of a second.
struct Player {
    Player() {
        if (!manager.Open(CKWWaveManager::kSampleRate, CKWWaveManager::kBitsPerSample))
            std::abort();
    }
    KWMemoryWaveOutput output;
    CKWWaveManager manager;
    CQXAudioFrame frame{kCapacity};
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kLead)
        return 0;
    static Player player;
    const int position = data[0] | (data[1] << 8);
    player.manager.SetVolume(position);
    const bool swap = data[2] & 1;

    CQXAudioFrame& frame = player.frame;
    frame.Reset();
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(size - kLead, kCapacity));
    std::copy_n(data + kLead, length, frame.GetData());
    frame.SetLength(length);
    std::vector<std::uint8_t> codes(data + kLead, data + kLead + frame.GetLength());
    if (swap)
        for (std::size_t i = 0; i + 1 < codes.size(); i += 2)
            std::swap(codes[i], codes[i + 1]);

    // A frame the buffers cannot take at once is offered again after the output has pulled.
    player.output.ClearPlayed();
    while (!player.manager.Play(frame, swap))
        if (player.output.Consume(CKWWaveBuffer::kSamples) == 0)
            std::abort(); // refused, yet nothing is queued
    while (player.output.Consume(CKWWaveBuffer::kSamples) != 0) {
    }
    const std::vector<std::int16_t> played = player.output.Played();
    if (played.size() != codes.size())
        std::abort();
    const float gain = static_cast<float>(position) / CKWWaveManager::kPositionsPerGain;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (played[i] != QXCompanding::Expand(codes[i], gain))
            std::abort();
    return 0;
}
