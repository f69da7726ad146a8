#include "KWWavFileBackend.h"

#include "KWWaveOut.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::size_t kHeaderBytes = 44;
constexpr std::size_t kChunkSamples = 4096;
// The RIFF size counts everything after its own field; data bytes stop short of 4 GB.
constexpr std::uint32_t kRiffOverhead = kHeaderBytes - 8;
constexpr std::uint32_t kMaxDataBytes = 0xFFFFFFFFu - kRiffOverhead - 1;

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    Put16(at, static_cast<std::uint16_t>(value));
    Put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t written = pwrite(fd, data, length, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}
} // namespace

KWWavFileBackend::KWWavFileBackend(std::string path, std::shared_ptr<KWWavFileReport> report)
    : m_path(std::move(path)), m_report(std::move(report)) {}

KWWavFileBackend::~KWWavFileBackend() {
    Stop();
}

bool KWWavFileBackend::Start(KWWaveOut& output, const KWWaveFormat& format) {
    m_fd = open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return false;
    m_output = &output;
    m_format = format;
    m_dataBytes = 0;
    m_failed = false;
    if (m_report) {
        m_report->dataBytes = 0;
        m_report->bytesPerSecond = format.averageBytesPerSecond;
        m_report->failed = false;
    }
    if (!WriteHeader()) {
        Stop();
        return false;
    }
    return true;
}

void KWWavFileBackend::Stop() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_output = nullptr;
}

void KWWavFileBackend::OnQueued() {
    if (!m_output)
        return;
    std::array<std::int16_t, kChunkSamples> samples;
    std::array<std::uint8_t, kChunkSamples * 2> bytes;
    while (const std::size_t count = m_output->Pull(samples.data(), samples.size())) {
        if (m_failed)
            continue; // keep consuming so the buffers still come back done
        for (std::size_t i = 0; i < count; ++i)
            Put16(&bytes[2 * i], static_cast<std::uint16_t>(samples[i]));
        const std::uint32_t length = static_cast<std::uint32_t>(2 * count);
        if (length > kMaxDataBytes - m_dataBytes) {
            ReportWriteFailure(EFBIG);
            continue;
        }
        if (!WriteAll(m_fd, bytes.data(), length, kHeaderBytes + off_t{m_dataBytes})) {
            ReportWriteFailure(errno);
            continue;
        }
        m_dataBytes += length;
        if (!WriteHeader()) {
            m_dataBytes -= length; // the header on the file still counts the sound before
            ReportWriteFailure(errno);
            continue;
        }
        if (m_report)
            m_report->dataBytes = m_dataBytes;
    }
}

bool KWWavFileBackend::WriteHeader() {
    std::array<std::uint8_t, kHeaderBytes> header{};
    std::memcpy(&header[0], "RIFF", 4);
    Put32(&header[4], kRiffOverhead + m_dataBytes);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    Put32(&header[16], 16);
    Put16(&header[20], m_format.formatTag);
    Put16(&header[22], m_format.channels);
    Put32(&header[24], m_format.samplesPerSecond);
    Put32(&header[28], m_format.averageBytesPerSecond);
    Put16(&header[32], m_format.blockAlign);
    Put16(&header[34], m_format.bitsPerSample);
    std::memcpy(&header[36], "data", 4);
    Put32(&header[40], m_dataBytes);
    return WriteAll(m_fd, header.data(), header.size(), 0);
}

// A device has no way to report a lost buffer either: the sound is dropped, said once. The
// part of a chunk that did reach the file is cut off again, so that the header, last written
// before that chunk, counts what the file holds.
void KWWavFileBackend::ReportWriteFailure(int errorCode) {
    m_failed = true;
    if (m_report)
        m_report->failed = true;
    (void)!ftruncate(m_fd, static_cast<off_t>(kHeaderBytes + m_dataBytes));
    std::fprintf(stderr, "wave output: cannot write %s: %s; further sound is dropped\n",
                 m_path.c_str(), std::strerror(errorCode));
}
