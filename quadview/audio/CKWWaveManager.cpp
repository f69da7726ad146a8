#include "CKWWaveManager.h"

#include "CQX4KPacket.h"
#include "CQXAudioFrame.h"
#include "KWTick.h"
#include "QXCompanding.h"

#include <algorithm>

namespace {
// Close lets the device settle after pausing and after returning the buffers.
constexpr std::uint32_t kPauseSettleMs = 10;
constexpr std::uint32_t kResetSettleMs = 100;
} // namespace

CKWWaveManager::CKWWaveManager() {
    m_className = "CKWWaveManager";
}

CKWWaveManager::~CKWWaveManager() {
    Close();
}

int CKWWaveManager::Open(std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample) {
    std::lock_guard lock(m_deviceMutex);
    if (m_device)
        return 1;
    m_format = KWWaveFormat::Pcm(1, samplesPerSecond, bitsPerSample);
    m_device = KWWaveOut::Open(m_format, &CKWWaveManager::OnBufferDone, this);
    if (!m_device)
        return 0;
    m_fillIndex = 0;
    m_doneIndex.store(0);
    m_pendingFrame = nullptr;
    for (CKWWaveBuffer& buffer : m_buffers) {
        buffer.Reset();
        if (!m_device->Prepare(buffer.GetHeader())) {
            m_device.reset();
            return 0;
        }
    }
    m_open.store(true, std::memory_order_release);
    return 1;
}

void CKWWaveManager::Close() {
    std::lock_guard lock(m_deviceMutex);
    if (!m_device)
        return;
    m_device->Pause();
    KWSleep(kPauseSettleMs);
    m_device->Reset();
    KWSleep(kResetSettleMs);
    for (CKWWaveBuffer& buffer : m_buffers)
        m_device->Unprepare(buffer.GetHeader());
    m_device.reset();
    m_open.store(false, std::memory_order_release);
    m_pendingFrame = nullptr;
}

int CKWWaveManager::Play(CQXAudioFrame& frame, bool swapBytes) {
    std::lock_guard lock(m_deviceMutex);
    if (!m_device) {
        frame.Reset();
        return 1;
    }
    if (m_buffers[m_fillIndex].IsInUse())
        return 0;

    const std::uint32_t length = std::min<std::uint32_t>(frame.GetLength(), frame.GetSize());
    std::uint32_t offset = 0;
    if (&frame == m_pendingFrame) {
        offset = m_pendingOffset; // already exchanged when its first piece was queued
    } else if (swapBytes) {
        QXExchangeBytes(frame.GetData(), length);
    }
    m_pendingFrame = nullptr;

    do {
        if (m_buffers[m_fillIndex].IsInUse()) {
            m_pendingFrame = &frame;
            m_pendingOffset = offset;
            return 0;
        }
        const std::uint32_t chunk = std::min(length - offset, CKWWaveBuffer::kSamples);
        QueueChunk(frame.GetData() + offset, chunk);
        offset += chunk;
    } while (offset < length);
    return 1;
}

void CKWWaveManager::QueueChunk(const std::uint8_t* bytes, std::uint32_t length) {
    CKWWaveBuffer& buffer = m_buffers[m_fillIndex];
    buffer.SetInUse(true);
    const float gain = m_gain.load(std::memory_order_relaxed);
    std::int16_t* samples = buffer.GetData();
    for (std::uint32_t i = 0; i < length; ++i)
        samples[i] = QXCompanding::Expand(bytes[i], gain);

    KWWaveHeader& header = buffer.GetHeader();
    header.bufferLength = length * sizeof(std::int16_t);
    header.bytesRecorded = header.bufferLength;
    if (m_device->Write(header))
        m_fillIndex = (m_fillIndex + 1) % kBufferCount;
    else
        buffer.SetInUse(false); // the output refused it: these samples are dropped
}

// On the output's thread: buffers finish in the order they were queued.
void CKWWaveManager::OnBufferDone(KWWaveHeader*, void* callbackData) {
    auto* self = static_cast<CKWWaveManager*>(callbackData);
    if (!self->m_open.load(std::memory_order_acquire))
        return;
    const int index = self->m_doneIndex.load(std::memory_order_relaxed);
    self->m_buffers[index].SetInUse(false);
    self->m_doneIndex.store((index + 1) % kBufferCount, std::memory_order_relaxed);
}

void CKWWaveManager::SetVolume(int position) {
    m_gain.store(static_cast<float>(position & 0xFFFF) / kPositionsPerGain);
}

int CKWWaveManager::GetVolumePercent() const {
    return static_cast<int>(m_gain.load() * 100.0f);
}

bool CKWWaveManager::HasQueuedBuffers() const {
    return std::any_of(std::begin(m_buffers), std::end(m_buffers),
                       [](const CKWWaveBuffer& buffer) { return buffer.IsInUse(); });
}
