#pragma once
#include "CKWPlaybackView.h"
#include "KWDispatch.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The host's handle on the playback component: creates its window and calls its numbered members
// through typed operations. Without a window every call does nothing and gives 0.
class CZrmp4controlctrl1 {
public:
    // Sees every member call before it is made (for diagnostics and tests).
    using CallObserver =
        std::function<void(int member, KWDispatchKind kind, const std::vector<KWVariant>&)>;

    CZrmp4controlctrl1(CallObserver observer, CKWPlaybackControl::AudioFactory audio);
    ~CZrmp4controlctrl1();
    CZrmp4controlctrl1(const CZrmp4controlctrl1&) = delete;
    CZrmp4controlctrl1& operator=(const CZrmp4controlctrl1&) = delete;

    // Creates the component's window as a visible child with an empty rectangle; 1 on success.
    int Create(QWidget* parent, int id, KWWindowHandle notify);
    void DestroyWindow();
    CKWPlaybackView* Window() const { return m_window.data(); }

    std::int32_t OpenFile();
    void CloseFile();
    void SetFileName(const std::string& path);
    std::int32_t Snapshot(std::int32_t format, std::int32_t size, std::int32_t quality,
                          const std::string& name);
    void SetVolume(std::int32_t volume);
    std::int32_t GetIsOpen();
    std::int32_t GetIsAtEnd();
    void ConvertToAvi(const std::string& source, const std::string& destination);
    void SetCaption(std::int32_t on, std::uint32_t colour);
    void SetMoving(std::int32_t moved);
    void Pause();
    void Resume();
    std::int32_t GetPosition();
    std::int32_t GetDuration(const std::string& path);
    void Seek(std::int32_t second);
    void SetSound(std::int32_t on);
    std::int32_t PlayForward(std::int32_t step);
    std::int32_t PlayBackward(std::int32_t step);
    std::uint32_t GetStartTime();

private:
    KWVariant Invoke(int member, KWDispatchKind kind, std::vector<KWVariant> arguments = {});
    std::int32_t Integer(int member, KWDispatchKind kind, std::vector<KWVariant> arguments = {});

    CallObserver m_observer;
    CKWPlaybackControl::AudioFactory m_audio;
    QPointer<CKWPlaybackView> m_window;
};
