#pragma once
#include "KWWaveOutBackend.h"

#include <string>

// Sends the wave outputs opened during its lifetime to a WAV file.
class KWScopedWavOutput {
public:
    explicit KWScopedWavOutput(const std::string& path)
        : m_previous(KWSetWaveOutBackendFactory(KWWavFileBackendFactory(path))) {}
    ~KWScopedWavOutput() { KWSetWaveOutBackendFactory(std::move(m_previous)); }
    KWScopedWavOutput(const KWScopedWavOutput&) = delete;
    KWScopedWavOutput& operator=(const KWScopedWavOutput&) = delete;

private:
    KWWaveOutBackendFactory m_previous;
};
