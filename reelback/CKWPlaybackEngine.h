#pragma once
#include "CKWAudioOutput.h"
#include "CKWMediaDecoder.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Plays one file on a worker thread: paces the frames the stepper chooses by their times and
// the speed, keeps the picture on screen and the position, and plays the sound at normal
// forward speed. Every operation may be called from any thread.
class CKWPlaybackEngine {
public:
    using Listener = std::function<void()>;

    static constexpr int kMaxVolume = 10000;
    // Further behind than this, pacing starts afresh instead of catching up.
    static constexpr double kResyncSeconds = 0.5;

    explicit CKWPlaybackEngine(std::unique_ptr<CKWAudioOutput> audio);
    ~CKWPlaybackEngine();
    CKWPlaybackEngine(const CKWPlaybackEngine&) = delete;
    CKWPlaybackEngine& operator=(const CKWPlaybackEngine&) = delete;

    // Opens the file and starts playing it forward at normal speed, unless paused.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_open.load(); }
    const std::string& GetError() const { return m_error; }
    std::string GetPath() const;
    double GetDuration() const;
    bool GetCreationTime(std::int64_t& seconds) const;

    // Direction and speed step (1 normal ... 6 = 32 times); the paused state is kept.
    void Play(bool backward, int step);
    void Pause();
    void Resume();
    bool IsPaused() const;
    // Shows the frame at the second, also while paused.
    void Seek(double seconds);
    // The time of the picture on screen (of the frame a seek asked for, until it is shown).
    double GetPosition() const;
    // True once playing ran into the end (forward) or the start (backward).
    bool IsAtEnd() const;
    bool HasFailed() const;

    // Volume in hundredths of a decibel above silence: 10000 is full scale, 8000 is 20 dB down.
    void SetVolume(int volume);
    int GetVolume() const { return m_volume.load(); }
    void SetSound(bool on);
    bool IsSoundOn() const { return m_soundOn.load(); }
    bool IsSoundAvailable() const { return m_audioAvailable; }
    static float GainOfVolume(int volume);

    std::shared_ptr<const KWPicture> GetPicture() const;
    // Called on the worker thread after each new picture / once when decoding failed for good /
    // each time playing runs into the end (forward) or the start (backward).
    void SetPictureListener(Listener listener);
    void SetFailureListener(Listener listener);
    void SetEndListener(Listener listener);

private:
    void Run();
    void RestartLocked(double seconds, bool inclusive);
    void UpdateAudio(bool wanted);
    void PlaySound(const std::int16_t* samples, int frames);
    // Empties the sound output once no write is under way.
    void DiscardSound();
    void ShowFrame(const KWVideoFrame& frame);
    void Notify(const Listener& listener);

    std::unique_ptr<CKWAudioOutput> m_audio;
    bool m_audioAvailable = false;
    bool m_audioActive = false; // worker only
    CKWMediaDecoder m_decoder;  // the worker's once it runs
    std::thread m_worker;
    std::string m_error;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_path;
    double m_duration = 0;
    double m_lastFrame = 0; // time of the last frame, as far as the duration tells
    bool m_hasCreationTime = false;
    std::int64_t m_creationTime = 0;
    bool m_quit = false;
    bool m_paused = false;
    bool m_backward = false;
    int m_step = 1;
    bool m_restart = false;
    double m_restartSeconds = 0;
    bool m_restartInclusive = true;
    bool m_showOne = false; // the next frame is shown at once, even while paused
    bool m_reanchor = false;
    bool m_ended = false;
    bool m_failed = false;
    double m_position = 0;

    std::atomic<bool> m_open{false};
    std::atomic<int> m_volume{7800};
    std::atomic<bool> m_soundOn{true};
    // Held by the worker while it writes sound and by a pause, a seek or the switch while it
    // discards what was written: sound decoded before them is then written before the discard
    // or not at all. Taken before m_mutex, never while holding it.
    std::mutex m_soundMutex;

    mutable std::mutex m_pictureMutex;
    std::shared_ptr<const KWPicture> m_picture;
    Listener m_pictureListener;
    Listener m_failureListener;
    Listener m_endListener;
};
