#pragma once
#include "CQXScreenManager4.h"
#include "KWDisplayWindow.h"

#include <atomic>
#include <string>

class CQXVideoFrame;

// A screen manager drawing into a view that exists only in memory, for rendering recordings
// from the command line: frames go in one at a time and the composed view can be written as a
// 24-bit BMP file. Caption text needs a running QGuiApplication (the offscreen platform will
// do); without one the caption bars stay black.
class CQXOffscreenView {
public:
    static constexpr int kFrameTimeoutMs = 5000;

    CQXOffscreenView(std::int32_t width, std::int32_t height);
    ~CQXOffscreenView();
    CQXOffscreenView(const CQXOffscreenView&) = delete;
    CQXOffscreenView& operator=(const CQXOffscreenView&) = delete;

    // Creates the screen manager on the view; 0 when it could not (the failure is reported).
    [[nodiscard]] int Open();
    // Hands a complete frame to the screen manager and waits until it has been drawn and
    // released. 0 when the frame did not come back in time; the screen manager is then stopped,
    // holds the frame no longer, and draws no more.
    [[nodiscard]] int Show(CQXVideoFrame& frame);
    // Writes the view as a bottom-up 24-bit BMP file. 0 when the file cannot be written.
    int WriteBmp(const std::string& path) const;

    CQXScreenManager4& GetScreenManager() { return m_manager; }
    KWDisplayWindow& GetWindow() { return m_window; }

private:
    KWDisplayWindow m_window;
    std::atomic<std::uint8_t> m_displayRequest{0};
    CQXScreenManager4 m_manager;
};
