#include "CKWPlaybackEngine.h"
#include "CKWFrameStepper.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// Hundredths of a decibel per tenfold change of the amplitude.
constexpr double kVolumePerDecade = 2000.0;

Clock::duration SecondsToDuration(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}
} // namespace

CKWPlaybackEngine::CKWPlaybackEngine(std::unique_ptr<CKWAudioOutput> audio)
    : m_audio(std::move(audio)) {
    m_audioAvailable = m_audio != nullptr &&
                       m_audio->Open(CKWMediaDecoder::kAudioRate, CKWMediaDecoder::kAudioChannels);
}

CKWPlaybackEngine::~CKWPlaybackEngine() {
    Close();
    if (m_audio != nullptr) {
        m_audio->Close();
    }
}

bool CKWPlaybackEngine::Open(const std::string& path) {
    Close();
    if (!m_decoder.Open(path)) {
        m_error = m_decoder.GetError();
        return false;
    }
    m_error.clear();
    {
        std::lock_guard lock(m_mutex);
        m_path = path;
        m_duration = m_decoder.GetDuration();
        m_lastFrame = std::max(0.0, m_duration - m_decoder.GetFramePeriod());
        m_hasCreationTime = m_decoder.GetCreationTime(m_creationTime);
        m_quit = m_ended = m_failed = false;
        m_backward = false;
        m_step = CKWFrameStepper::kMinStep;
        m_position = 0;
        RestartLocked(0, true);
    }
    m_open = true;
    m_worker = std::thread(&CKWPlaybackEngine::Run, this);
    return true;
}

void CKWPlaybackEngine::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
    if (!m_open.exchange(false)) {
        return;
    }
    m_decoder.Close();
    {
        std::lock_guard lock(m_mutex);
        m_path.clear();
        m_duration = 0;
        m_lastFrame = 0;
        m_position = 0;
        m_hasCreationTime = false;
    }
    {
        std::lock_guard lock(m_pictureMutex);
        m_picture.reset();
    }
    Notify(m_pictureListener);
}

std::string CKWPlaybackEngine::GetPath() const {
    std::lock_guard lock(m_mutex);
    return m_path;
}

double CKWPlaybackEngine::GetDuration() const {
    std::lock_guard lock(m_mutex);
    return m_duration;
}

bool CKWPlaybackEngine::GetCreationTime(std::int64_t& seconds) const {
    std::lock_guard lock(m_mutex);
    seconds = m_creationTime;
    return m_hasCreationTime;
}

void CKWPlaybackEngine::RestartLocked(double seconds, bool inclusive) {
    m_restart = true;
    m_restartSeconds = seconds;
    m_restartInclusive = inclusive;
    m_ended = false;
}

void CKWPlaybackEngine::Play(bool backward, int step) {
    step = CKWFrameStepper::ClampStep(step);
    const bool keyOnly = step >= CKWFrameStepper::kFirstKeyOnlyStep;
    {
        std::lock_guard lock(m_mutex);
        const bool wasKeyOnly = m_step >= CKWFrameStepper::kFirstKeyOnlyStep;
        if (backward != m_backward || keyOnly != wasKeyOnly || m_ended) {
            RestartLocked(m_position, false);
        }
        m_backward = backward;
        m_step = step;
        m_reanchor = true;
    }
    m_wake.notify_all();
}

void CKWPlaybackEngine::Pause() {
    {
        std::lock_guard lock(m_mutex);
        m_paused = true;
    }
    DiscardSound();
    m_wake.notify_all();
}

void CKWPlaybackEngine::DiscardSound() {
    if (m_audio != nullptr) {
        std::lock_guard sound(m_soundMutex);
        m_audio->Discard();
    }
}

void CKWPlaybackEngine::Resume() {
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
        m_reanchor = true;
    }
    m_wake.notify_all();
}

bool CKWPlaybackEngine::IsPaused() const {
    std::lock_guard lock(m_mutex);
    return m_paused;
}

void CKWPlaybackEngine::Seek(double seconds) {
    {
        std::lock_guard lock(m_mutex);
        // The end of the recording shows its last frame.
        seconds = std::clamp(seconds, 0.0, m_lastFrame);
        RestartLocked(seconds, true);
        m_position = seconds;
        m_showOne = true;
    }
    DiscardSound();
    m_wake.notify_all();
}

double CKWPlaybackEngine::GetPosition() const {
    std::lock_guard lock(m_mutex);
    return m_position;
}

bool CKWPlaybackEngine::IsAtEnd() const {
    std::lock_guard lock(m_mutex);
    return m_ended;
}

bool CKWPlaybackEngine::HasFailed() const {
    std::lock_guard lock(m_mutex);
    return m_failed;
}

void CKWPlaybackEngine::SetVolume(int volume) {
    m_volume = std::clamp(volume, 0, kMaxVolume);
}

void CKWPlaybackEngine::SetSound(bool on) {
    m_soundOn = on;
    if (!on) {
        DiscardSound();
    }
}

float CKWPlaybackEngine::GainOfVolume(int volume) {
    if (volume <= 0) {
        return 0.0f;
    }
    return static_cast<float>(
        std::pow(10.0, (std::min(volume, kMaxVolume) - kMaxVolume) / kVolumePerDecade));
}

std::shared_ptr<const KWPicture> CKWPlaybackEngine::GetPicture() const {
    std::lock_guard lock(m_pictureMutex);
    return m_picture;
}

void CKWPlaybackEngine::SetPictureListener(Listener listener) {
    std::lock_guard lock(m_pictureMutex);
    m_pictureListener = std::move(listener);
}

void CKWPlaybackEngine::SetFailureListener(Listener listener) {
    std::lock_guard lock(m_pictureMutex);
    m_failureListener = std::move(listener);
}

void CKWPlaybackEngine::SetEndListener(Listener listener) {
    std::lock_guard lock(m_pictureMutex);
    m_endListener = std::move(listener);
}

void CKWPlaybackEngine::Notify(const Listener& listener) {
    Listener copy;
    {
        std::lock_guard lock(m_pictureMutex);
        copy = listener;
    }
    if (copy) {
        copy();
    }
}

void CKWPlaybackEngine::UpdateAudio(bool wanted) {
    wanted = wanted && m_audioAvailable;
    if (wanted == m_audioActive) {
        return;
    }
    m_audioActive = wanted;
    if (wanted) {
        m_decoder.SetAudioHandler(
            [this](const std::int16_t* samples, int frames) { PlaySound(samples, frames); });
    } else {
        m_decoder.SetAudioHandler(nullptr);
        m_audio->Discard();
    }
}

// Sound of a decode that was under way when a pause or a seek came belongs to the time before
// it and is dropped.
void CKWPlaybackEngine::PlaySound(const std::int16_t* samples, int frames) {
    std::lock_guard sound(m_soundMutex);
    {
        std::lock_guard lock(m_mutex);
        if (m_paused || m_restart) {
            return;
        }
    }
    if (!m_soundOn) {
        return;
    }
    const float gain = GainOfVolume(m_volume);
    std::vector<std::int16_t> scaled(samples, samples + static_cast<std::size_t>(frames) *
                                                            CKWMediaDecoder::kAudioChannels);
    for (std::int16_t& sample : scaled) {
        sample = static_cast<std::int16_t>(std::lround(sample * gain));
    }
    m_audio->Write(scaled.data(), frames);
}

// The position follows the picture on screen, so that a time shown beside it is its time; it is
// set before the picture is announced. A seek asked for meanwhile keeps its own position.
void CKWPlaybackEngine::ShowFrame(const KWVideoFrame& frame) {
    auto picture = std::make_shared<KWPicture>();
    if (!m_decoder.ConvertPicture(frame, *picture)) {
        return;
    }
    {
        std::lock_guard lock(m_pictureMutex);
        m_picture = std::move(picture);
    }
    {
        std::lock_guard lock(m_mutex);
        if (!m_restart) {
            m_position = frame.seconds;
        }
    }
    Notify(m_pictureListener);
}

// The worker: takes the next frame from the stepper, waits until it is due, shows it. Requests
// from other threads (restart, pause, speed) are picked up whenever it holds the lock.
void CKWPlaybackEngine::Run() {
    CKWFrameStepper stepper(m_decoder);
    std::optional<KWVideoFrame> pending;
    Clock::time_point anchorTime;
    double anchorSeconds = 0;
    bool anchored = false;
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_restart) {
            m_restart = false;
            pending.reset();
            anchored = false;
            const double seconds = m_restartSeconds;
            const bool inclusive = m_restartInclusive;
            const bool backward = m_backward;
            const int step = m_step;
            lock.unlock();
            stepper.Start(seconds, inclusive, backward, step);
            lock.lock();
            continue;
        }
        if (m_reanchor) {
            m_reanchor = false;
            anchored = false;
        }
        const bool showNow = m_showOne;
        if ((m_paused && !showNow) || m_ended || m_failed) {
            UpdateAudio(false);
            m_wake.wait(lock);
            continue;
        }
        UpdateAudio(!m_backward && m_step == CKWFrameStepper::kMinStep && !m_paused);
        if (!pending) {
            lock.unlock();
            KWVideoFrame frame;
            const CKWMediaDecoder::Result result = stepper.Next(frame);
            lock.lock();
            if (m_restart || m_quit) {
                continue;
            }
            if (result != CKWMediaDecoder::Result::Frame) {
                m_ended = true;
                m_showOne = false;
                const bool failed = result == CKWMediaDecoder::Result::Error;
                m_failed = m_failed || failed;
                lock.unlock();
                Notify(failed ? m_failureListener : m_endListener);
                lock.lock();
                continue;
            }
            // Requests may have come in meanwhile: look at them before pacing this frame.
            pending = std::move(frame);
            continue;
        }
        const double speed = CKWFrameStepper::SpeedOfStep(m_step);
        const Clock::time_point now = Clock::now();
        if (!anchored || showNow) {
            anchorTime = now;
            anchorSeconds = pending->seconds;
            anchored = true;
        }
        const Clock::time_point due =
            anchorTime + SecondsToDuration(std::abs(pending->seconds - anchorSeconds) / speed);
        if (now < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        const double late = std::chrono::duration<double>(now - due).count();
        if (late > kResyncSeconds) {
            anchorTime = now;
            anchorSeconds = pending->seconds;
        }
        // Above normal speed a frame that is already late is skipped rather than drawn.
        const bool draw =
            showNow || speed == 1 || late < m_decoder.GetFramePeriod() || late > kResyncSeconds;
        KWVideoFrame frame = std::move(*pending);
        pending.reset();
        m_showOne = false;
        // A frame skipped in fast play leaves the position at the picture on screen.
        if (draw) {
            lock.unlock();
            ShowFrame(frame);
            lock.lock();
        }
    }
    UpdateAudio(false);
}
