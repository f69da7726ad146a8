#pragma once
#include "KWWaveOutBackend.h"

#include <cstdint>
#include <memory>
#include <string>

// Writes the sound to a WAV file instead of a device, for headless runs and tests. Every
// queued buffer is consumed at once on the writer's thread; the file is created afresh when
// the output opens and its header is kept valid after every write. A write that fails (a full
// disk) cuts the file back to the sound its header counts.
class KWWavFileBackend : public KWWaveOutBackend {
public:
    explicit KWWavFileBackend(std::string path, std::shared_ptr<KWWavFileReport> report = {});
    ~KWWavFileBackend() override;

    bool Start(KWWaveOut& output, const KWWaveFormat& format) override;
    void Stop() override;
    void OnQueued() override;

private:
    bool WriteHeader();
    void ReportWriteFailure(int errorCode);

    const std::string m_path;
    const std::shared_ptr<KWWavFileReport> m_report;
    KWWaveOut* m_output = nullptr;
    KWWaveFormat m_format;
    int m_fd = -1;
    std::uint32_t m_dataBytes = 0;
    bool m_failed = false;
};
