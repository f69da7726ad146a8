#include "KWPortAudioStream.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <cstdio>
#include <jack/jack.h>
#include <mutex>
#include <portaudio.h>

namespace {
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}
} // namespace

KWPortAudioStream::~KWPortAudioStream() {
    Close();
}

void KWPortAudioStream::SilenceLibraryNoise() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&IgnoreAlsaMessage);
        jack_set_error_function(&IgnoreJackMessage);
        jack_set_info_function(&IgnoreJackMessage);
    });
}

bool KWPortAudioStream::Open(int channels, int samplesPerSecond, Fill fill, void* user) {
    Close();
    SilenceLibraryNoise();
    m_fill = fill;
    m_user = user;
    PaError error = Pa_Initialize();
    if (error != paNoError)
        return Fail("the sound library does not start", error);
    m_initialised = true;
    if (Pa_GetDefaultOutputDevice() == paNoDevice)
        return Fail("there is no sound device", paDeviceUnavailable);
    PaStream* stream = nullptr;
    error = Pa_OpenDefaultStream(&stream, 0, channels, paInt16, samplesPerSecond,
                                 paFramesPerBufferUnspecified, &KWPortAudioStream::Pump, this);
    if (error != paNoError)
        return Fail("the sound device cannot be opened", error);
    m_stream = stream;
    error = Pa_StartStream(stream);
    if (error != paNoError)
        return Fail("the sound device does not start", error);
    return true;
}

void KWPortAudioStream::Close() {
    if (m_stream != nullptr) {
        // Aborting returns only after the callback has finished.
        Pa_AbortStream(m_stream);
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    if (m_initialised)
        Pa_Terminate();
    m_initialised = false;
}

// One line for the user; the library's own reasons are its error text and, for a refusal of the
// system's sound layer, that layer's message.
bool KWPortAudioStream::Fail(const char* step, int error) {
    const char* detail = Pa_GetErrorText(error);
    const PaHostErrorInfo* host =
        error == paUnanticipatedHostError ? Pa_GetLastHostErrorInfo() : nullptr;
    if (host != nullptr && host->errorText != nullptr && host->errorText[0] != '\0')
        detail = host->errorText;
    std::fprintf(stderr, "%s: no sound output: %s (%s)\n", program_invocation_short_name, step,
                 detail);
    Close();
    return false;
}

int KWPortAudioStream::Pump(const void*, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo*, unsigned long, void* self) {
    auto* stream = static_cast<KWPortAudioStream*>(self);
    stream->m_fill(static_cast<std::int16_t*>(output), frames, stream->m_user);
    return paContinue;
}
