#pragma once
#include "CKWConversionJob.h"
#include "CKWPlaybackEngine.h"
#include "KWDispatch.h"
#include "KWTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The playback component behind its numbered members (KWDispatchId): opens, plays, pauses,
// seeks, reports position and duration, takes snapshots, converts to AVI. Free of any display:
// a view draws the engine's pictures. Members are called on the host's thread.
class CKWPlaybackControl {
public:
    using AudioFactory = std::function<std::unique_ptr<CKWAudioOutput>()>;

    static constexpr int kStartVolume = 7800;
    static constexpr int kSnapshotJpeg = 1;
    static constexpr int kSnapshotNaturalSize = 1;
    static constexpr int kMaxSnapshotQuality = 255;
    static constexpr const char* kSnapshotExtension = ".jpg";

    // The sound output comes from the factory (PortAudio by default).
    explicit CKWPlaybackControl(AudioFactory audio = nullptr);
    ~CKWPlaybackControl();

    // The window that receives WM_CONTROL_RESET and WM_CONTROL_END.
    void SetParentWindow(KWWindowHandle parent) { m_parent = parent; }

    // Calls a member by number. Returns 1 when the member exists for that kind and the arguments
    // fit, 0 otherwise; result receives what the member gives (nothing for most).
    int Invoke(int member, KWDispatchKind kind, const std::vector<KWVariant>& arguments,
               KWVariant& result);

    std::int32_t OpenFile();
    void CloseFile();
    void SetFileName(const std::string& path) { m_fileName = path; }
    const std::string& GetFileName() const { return m_fileName; }
    // Writes the shown picture to name + ".jpg"; format must be JPEG (1) at natural size (1),
    // quality 1..255 is scaled to the JPEG quality 1..100.
    std::int32_t Snapshot(int format, int size, int quality, const std::string& name);
    void SetVolume(int volume) { m_engine.SetVolume(volume); }
    std::int32_t IsFileOpen() const { return m_engine.IsOpen() ? 1 : 0; }
    std::int32_t IsAtEnd() const { return m_engine.IsOpen() && m_engine.IsAtEnd() ? 1 : 0; }
    // Converts in the background; false when a conversion is already running.
    bool ConvertToAvi(const std::string& source, const std::string& destination);
    // Recording time drawn over the picture, in a colour 0x00BBGGRR.
    void SetCaption(int on, std::uint32_t colour);
    bool IsCaptionOn() const { return m_captionOn; }
    std::uint32_t GetCaptionColour() const { return m_captionColour; }
    // 0 before the view is moved, 1 after: drawing waits while it moves.
    void SetMoving(int moved) { m_moving = moved == 0; }
    bool IsMoving() const { return m_moving; }
    void Pause() { m_engine.Pause(); }
    void Resume() { m_engine.Resume(); }
    std::int32_t GetPosition() const;
    std::int32_t GetDuration(const std::string& path) const;
    void Seek(int second) { m_engine.Seek(second); }
    void SetSound(int on) { m_engine.SetSound(on != 0); }
    std::int32_t PlayForward(int step);
    std::int32_t PlayBackward(int step);
    // Seconds since 1970-01-01 UTC at position 0: the container's creation time, else the
    // file's modification time less its duration; 0 without a file.
    std::uint32_t GetStartTime() const;

    CKWPlaybackEngine& Engine() { return m_engine; }
    CKWConversionJob& Conversion() { return m_conversion; }

private:
    int InvokeMethod(int member, const std::vector<KWVariant>& arguments, KWVariant& result);
    void OnEngineFailed();

    CKWPlaybackEngine m_engine;
    CKWConversionJob m_conversion;
    KWWindowHandle m_parent = nullptr;
    std::string m_fileName;
    bool m_captionOn = false;
    std::uint32_t m_captionColour = 0;
    bool m_moving = false;
};
