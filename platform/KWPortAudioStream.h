#pragma once
#include <cstdint>

struct PaStreamCallbackTimeInfo;

// The default sound output device through PortAudio: 16-bit interleaved samples pulled by a fill
// function on the library's thread. The library's helpers (ALSA and JACK) print every device
// they try and fail to the terminal; that noise is kept off it, and a failure of the output is
// told as one line on standard error instead, so a machine without a sound card shows only what
// the program says.
class KWPortAudioStream {
public:
    // Writes `frames` frames of interleaved samples; called on the library's thread.
    using Fill = void (*)(std::int16_t* samples, unsigned long frames, void* user);

    KWPortAudioStream() = default;
    ~KWPortAudioStream();
    KWPortAudioStream(const KWPortAudioStream&) = delete;
    KWPortAudioStream& operator=(const KWPortAudioStream&) = delete;

    // Opens and starts the default output; false (after the one line) when there is none or it
    // refuses the format.
    bool Open(int channels, int samplesPerSecond, Fill fill, void* user);
    // Stops at once - returns only after the fill function has finished - and closes.
    void Close();
    bool IsOpen() const { return m_stream != nullptr; }

private:
    // Keeps the helpers' messages off the terminal, once per process.
    static void SilenceLibraryNoise();
    static int Pump(const void* input, void* output, unsigned long frames,
                    const PaStreamCallbackTimeInfo* timing, unsigned long flags, void* self);
    bool Fail(const char* step, int error);

    void* m_stream = nullptr;
    bool m_initialised = false;
    Fill m_fill = nullptr;
    void* m_user = nullptr;
};
