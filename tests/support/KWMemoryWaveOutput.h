#pragma once
#include "KWWaveFormat.h"
#include "KWWaveOutBackend.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Replaces the wave output for its lifetime with one that consumes samples only when the test
// asks, on the test's thread, and keeps everything it consumed.
class KWMemoryWaveOutput {
public:
    KWMemoryWaveOutput();
    ~KWMemoryWaveOutput();
    KWMemoryWaveOutput(const KWMemoryWaveOutput&) = delete;
    KWMemoryWaveOutput& operator=(const KWMemoryWaveOutput&) = delete;

    // With false, outputs fail to open, as on a machine without a sound device.
    void SetAvailable(bool available);
    bool IsStarted() const;
    KWWaveFormat Format() const;
    int Opens() const;

    // Consumes up to `samples` queued samples from the open output; returns how many.
    std::size_t Consume(std::size_t samples);
    std::vector<std::int16_t> Played() const;
    // Forgets what was consumed so far, for long runs.
    void ClearPlayed();

    struct State;

private:
    std::shared_ptr<State> m_state;
    KWWaveOutBackendFactory m_previous;
};
