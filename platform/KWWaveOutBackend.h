#pragma once
#include "KWWaveFormat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class KWWaveOut;

// What consumes the samples of an open wave output: the sound device, a WAV file, or a test's
// memory. A backend takes samples with KWWaveOut::Pull, on whatever thread suits it.
class KWWaveOutBackend {
public:
    virtual ~KWWaveOutBackend() = default;
    // Begins consuming; false when the format cannot be played (then Stop is not called).
    virtual bool Start(KWWaveOut& output, const KWWaveFormat& format) = 0;
    // Once this returns, no Pull is running and none will run.
    virtual void Stop() = 0;
    // A buffer was queued. Runs on the writer's thread with no lock of the output held.
    virtual void OnQueued() {}
};

using KWWaveOutBackendFactory = std::function<std::unique_ptr<KWWaveOutBackend>()>;

// Makes the backend for the next output to open. Without a factory of its own the program
// writes a WAV file when QUADVIEW_AUDIO_OUT names one and plays on the default sound device
// otherwise.
std::unique_ptr<KWWaveOutBackend> KWCreateWaveOutBackend();

// Replaces the factory (an empty one restores the default); returns the previous one.
KWWaveOutBackendFactory KWSetWaveOutBackendFactory(KWWaveOutBackendFactory factory);

// What a WAV file output has written, for the program that asked for the file: the sound bytes
// its header counts (the file holds exactly these) and whether a write failed (a full disk),
// after which further sound is dropped.
struct KWWavFileReport {
    std::atomic<std::uint32_t> dataBytes{0};
    std::atomic<std::uint32_t> bytesPerSecond{0};
    std::atomic<bool> failed{false};
};

// A factory whose outputs write to the WAV file at the path, for tools and headless runs; each
// output reports into `report` when one is given.
KWWaveOutBackendFactory KWWavFileBackendFactory(const std::string& path,
                                                std::shared_ptr<KWWavFileReport> report = {});
