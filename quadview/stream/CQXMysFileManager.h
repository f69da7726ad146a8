#pragma once
#include "CKWObject.h"
#include "CQXAudioSink.h"
#include "CQXMysPlayer.h"
#include "CQXMysRecorder.h"
#include "CQXVideoSink.h"

#include <atomic>
#include <cstdint>
#include <string>

class CQXAudioFrame;
class CQXVideoFrame;

// Owns the MYS recorder and player: passes captured device frames to the recorder, routes the
// player's frames to the screen and wave managers, and reports the state of both to its
// listeners (the main window).
class CQXMysFileManager : public CKWObject {
public:
    static constexpr std::uint32_t kMessagePlayerMode = 0x1420;
    static constexpr std::uint32_t kStatusIdle = 0;
    static constexpr std::uint32_t kStatusRecording = 1;
    // The window's mode indices: 2 "onef" up to 18 "pause".
    static constexpr std::uint32_t kFirstModeIndex = 2;
    static constexpr std::uint32_t kLastModeIndex = 18;
    static constexpr std::uint32_t kAudioRetryMs = 10;

    // A smaller recorder file limit lets tests see the file split.
    explicit CQXMysFileManager(std::uint32_t fileSizeLimit = CQXMysRecorder::kFileSizeLimit);
    ~CQXMysFileManager() override;

    // The managers the player's frames go to; not owned. The screen manager also gives the
    // recorder the channels shown.
    void SetOutputs(CQXVideoSink* screenManager, CQXAudioSink* waveManager);

    [[nodiscard]] int OpenRecorder(const char* directory, std::uint32_t standard);
    void CloseRecorder();
    [[nodiscard]] int WriteVideo(const CQXVideoFrame& frame) {
        return m_recorder.WriteVideo(frame);
    }
    bool IsRecorderFull() { return m_recorder.IsFull(); }
    [[nodiscard]] int WriteAudio(const CQXAudioFrame& frame) {
        return m_recorder.WriteAudio(frame);
    }

    [[nodiscard]] int OpenPlayer(const std::string& path) { return m_player.Open(path); }
    void ClosePlayer() { m_player.Close(); }
    // Index 2-18 selects the player's mode code 0x10000 + index - 1; `parameter` is a file
    // offset for "onef". Other indices do nothing.
    void SetPlayMode(std::uint32_t index, std::uint32_t parameter);

    // 0 idle, 1 recording, else the player's mode index.
    std::uint32_t IsRecording() const { return m_status.load(); }
    bool IsPlaying() { return m_player.IsRunning(); }
    bool IsRecorderRunning() { return m_recorder.IsRunning(); }
    // Whether the last recording ended on a write error (message 0x1401).
    bool HasRecorderFailed() const { return m_recorder.HasFailed(); }
    // The player's file length while it plays, else the recorder's bytes written while it
    // records, else 0.
    std::uint32_t GetFileLength();

    static std::uint32_t ModeIndex(std::uint32_t mode) { return mode - QXPlayMode::kNone + 1; }

    CQXMysPlayer& GetPlayer() { return m_player; }
    CQXMysRecorder& GetRecorder() { return m_recorder; }

    KWResult OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam lParam) override;

private:
    CQXVideoSink* m_screenManager = nullptr;
    CQXAudioSink* m_waveManager = nullptr;
    std::atomic<std::uint32_t> m_status{kStatusIdle};
    CQXMysRecorder m_recorder;
    CQXMysPlayer m_player;
};
