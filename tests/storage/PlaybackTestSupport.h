#pragma once
// Playback of synthetic disks through the device manager: a manager that records every frame it
// hands out (and can hold frames back, as a slow consumer would), and helpers to record disks.
#include "CQXStorageDeviceManager.h"
#include "DvrRecorder.h"
#include "KWMailbox.h"
#include "KWTempDir.h"
#include "KWTick.h"

#include <mutex>
#include <vector>

class RecordingManager : public CQXStorageDeviceManager {
public:
    struct Shown {
        std::uint32_t packet;
        std::uint8_t channel;
        std::uint8_t slices;
        std::uint32_t tick;
    };

    using CQXStorageDeviceManager::CQXStorageDeviceManager;
    // The worker calls the hooks below: it must end before this object's members go.
    ~RecordingManager() override {
        StopStreaming();
        ReleaseHeld();
    }

    std::vector<Shown> Frames() const {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }
    void ForgetFrames() {
        std::lock_guard lock(m_mutex);
        m_frames.clear();
    }
    std::size_t FrameCount() const {
        std::lock_guard lock(m_mutex);
        return m_frames.size();
    }
    std::size_t AudioOffers() const {
        std::lock_guard lock(m_mutex);
        return m_audioOffers;
    }
    // Sound offered for playing in a mode other than "play".
    std::size_t AudioOffersOutsidePlay() const {
        std::lock_guard lock(m_mutex);
        return m_audioOffersOutsidePlay;
    }
    std::size_t HeldCount() const {
        std::lock_guard lock(m_mutex);
        return m_held.size();
    }
    // While holding, frames are recorded but kept complete, as by a consumer that never draws.
    void SetHolding(bool holding) {
        std::lock_guard lock(m_mutex);
        m_holding = holding;
    }
    void ReleaseHeld() {
        std::lock_guard lock(m_mutex);
        for (CQXVideoFrame* frame : m_held)
            frame->Reset();
        m_held.clear();
    }

protected:
    void DeliverVideoFrame(CQXVideoFrame& frame, std::uint32_t packet) override {
        {
            std::lock_guard lock(m_mutex);
            m_frames.push_back(
                Shown{packet, frame.GetChannel(), frame.GetSliceCount(), KWGetTickCount()});
            if (m_holding) {
                m_held.push_back(&frame);
                return;
            }
        }
        CQXStorageDeviceManager::DeliverVideoFrame(frame, packet);
    }
    void DeliverAudioFrame(CQXAudioFrame& frame) override {
        {
            std::lock_guard lock(m_mutex);
            ++m_audioOffers;
            if (GetPlayMode() != QXPlayMode::kPlay)
                ++m_audioOffersOutsidePlay;
        }
        CQXStorageDeviceManager::DeliverAudioFrame(frame);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Shown> m_frames;
    std::vector<CQXVideoFrame*> m_held;
    std::size_t m_audioOffers = 0;
    std::size_t m_audioOffersOutsidePlay = 0;
    bool m_holding = false;
};

constexpr std::uint32_t kGenerousMs = 60000;

inline bool WaitFor(const std::function<bool()>& done, std::uint32_t timeoutMs = kGenerousMs) {
    return KWWaitDeliveringSends(timeoutMs, done);
}

inline bool WaitForMode(const CQXStorageDeviceManager& manager, std::uint32_t mode) {
    return WaitFor([&] { return manager.GetPlayMode() == mode; });
}

// Options for a small disk without sound: `channels` channels of `slices`-slice pictures.
inline DvrRecorder::Options DiskOptions(const KWTempDir& dir, int slices, int intervalCode,
                                        double seconds) {
    DvrRecorder::Options options;
    options.output = dir / "disk.img";
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.start.tm_hour = 12;
    options.slices = slices;
    options.intervalCode = intervalCode;
    options.seconds = seconds;
    options.audio = false;
    options.motion = false;
    return options;
}
