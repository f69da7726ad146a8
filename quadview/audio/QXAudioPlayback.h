#pragma once
#include <cstdint>
#include <functional>

class CKWWaveManager;
class CQX4KPacket;

// Gives the next packet of a stream: 1 with the packet filled, 0 at the end or on a read error.
using QXPacketSource = std::function<int(CQX4KPacket& packet)>;

struct QXAudioPlaybackCounts {
    std::uint32_t packets = 0;     // packets read
    std::uint32_t audioFrames = 0; // audio packets played
};

// Plays every audio packet of a stream, in order, through an open wave manager, as the device
// reader does: each block is offered until the manager takes it, with 1 ms between tries,
// byte pairs exchanged back when asked; other packets are skipped. Then waits until the output
// has consumed the last buffer. Returns 0 when the manager is closed, or when the output takes
// nothing for stallTimeoutMs (a frame not accepted, or the last buffers never consumed).
int QXPlayAudioPackets(CKWWaveManager& manager, const QXPacketSource& readNext, bool exchangeBytes,
                       std::uint32_t stallTimeoutMs, QXAudioPlaybackCounts* counts);
