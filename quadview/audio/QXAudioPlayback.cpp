#include "QXAudioPlayback.h"

#include "CKWWaveManager.h"
#include "CQX4KPacket.h"
#include "CQXAudioFrame.h"
#include "KWTick.h"

namespace {
constexpr std::uint32_t kRetryMs = 1;

// Repeats an attempt every millisecond until it succeeds or the time-out passes.
template <typename Attempt> bool RetryUntil(std::uint32_t timeoutMs, Attempt attempt) {
    const std::uint32_t start = KWGetTickCount();
    while (!attempt()) {
        if (KWTicksSince(start, KWGetTickCount()) >= timeoutMs)
            return false;
        KWSleep(kRetryMs);
    }
    return true;
}
} // namespace

int QXPlayAudioPackets(CKWWaveManager& manager, const QXPacketSource& readNext, bool exchangeBytes,
                       std::uint32_t stallTimeoutMs, QXAudioPlaybackCounts* counts) {
    QXAudioPlaybackCounts local;
    QXAudioPlaybackCounts& tally = counts ? *counts : local;
    tally = {};
    if (!manager.IsOpen())
        return 0;
    CQX4KPacket packet;
    CQXAudioFrame frame;
    while (readNext(packet)) {
        ++tally.packets;
        if (!frame.LoadPacket(packet))
            continue;
        if (!RetryUntil(stallTimeoutMs, [&] { return manager.Play(frame, exchangeBytes) != 0; }))
            return 0;
        ++tally.audioFrames;
    }
    return RetryUntil(stallTimeoutMs, [&] { return !manager.HasQueuedBuffers(); }) ? 1 : 0;
}
