#pragma once
#include "KWWaveFormat.h"

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

// A factory whose outputs write to the WAV file at the path, for tools and headless runs.
KWWaveOutBackendFactory KWWavFileBackendFactory(const std::string& path);
