#pragma once
#include <cstdint>

// Where the player's sound goes: 16-bit interleaved samples. The player works on without sound
// when Open fails (no sound device), so a failed output never stops playback.
class CKWAudioOutput {
public:
    virtual ~CKWAudioOutput() = default;
    virtual bool Open(int sampleRate, int channels) = 0;
    virtual void Close() = 0;
    // Queues samples; may drop them when the queue is full. frames counts samples per channel.
    virtual void Write(const std::int16_t* samples, int frames) = 0;
    // Drops everything queued and not yet played.
    virtual void Discard() = 0;
};
