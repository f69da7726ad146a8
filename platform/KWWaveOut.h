#pragma once
#include "KWWaveFormat.h"
#include "KWWaveOutBackend.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

// Called once for every buffer written, when its last sample has been consumed or when a reset
// returns it unplayed, in the order the buffers were written. It runs on the backend's thread
// (or within Reset) with the output's lock held: it must not call the output.
using KWWaveDoneCallback = void (*)(KWWaveHeader* header, void* callbackData);

// An open wave output device: a queue of caller-owned buffers that a backend consumes.
class KWWaveOut {
public:
    // Opens an output for mono 16-bit PCM through the current backend factory; null when the
    // format is anything else or the backend cannot start (no sound device, unwritable file).
    static std::unique_ptr<KWWaveOut> Open(const KWWaveFormat& format, KWWaveDoneCallback callback,
                                           void* callbackData);
    // Stops the backend, then returns any buffer still queued as by Reset.
    ~KWWaveOut();
    KWWaveOut(const KWWaveOut&) = delete;
    KWWaveOut& operator=(const KWWaveOut&) = delete;

    [[nodiscard]] bool Prepare(KWWaveHeader& header);
    // Refused while the buffer is queued.
    bool Unprepare(KWWaveHeader& header);
    // Queues a prepared buffer that is not queued yet and whose recorded length fits it.
    [[nodiscard]] bool Write(KWWaveHeader& header);
    // While paused nothing is consumed.
    void Pause();
    void Restart();
    // Returns every queued buffer as done, unplayed, in queue order.
    void Reset();

    const KWWaveFormat& GetFormat() const { return m_format; }

    // For backends: copies up to maxSamples queued samples in order and reports each buffer
    // whose end was reached as done. Returns how many samples were copied (0 while paused).
    std::size_t Pull(std::int16_t* samples, std::size_t maxSamples);

private:
    KWWaveOut(const KWWaveFormat& format, KWWaveDoneCallback callback, void* callbackData,
              std::unique_ptr<KWWaveOutBackend> backend);
    void CompleteFront();

    const KWWaveFormat m_format;
    const KWWaveDoneCallback m_callback;
    void* const m_callbackData;
    std::unique_ptr<KWWaveOutBackend> m_backend;
    bool m_started = false;

    std::mutex m_mutex;
    std::deque<KWWaveHeader*> m_queue;
    std::uint32_t m_frontOffset = 0; // samples of the front buffer already consumed
    bool m_paused = false;
};
