#pragma once
#include "CCamStringTable.h"
#include "CameraRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// What the finder engine asks of its window. A window without some of the controls (the
// command-line search has none) keeps the empty defaults.
class CCamFinderView {
public:
    virtual ~CCamFinderView() = default;

    virtual void EnableSearch(bool) {}
    virtual void EnableSettingAll(bool) {}
    // The four update buttons and Default.
    virtual void EnableUpdateButtons(bool) {}
    // Deletes all rows and inserts one per camera, in order.
    virtual void ShowCameras(const std::vector<CameraRecord>&) {}
    virtual void SetTotalText(const std::string&) {}
    // Appends one log line; the text is shown as it stands.
    virtual void AppendLog(const std::string&) {}
    virtual void ShowWaitCursor(bool) {}
    // Shows that a search is running (true) or over (false).
    virtual void ShowSearching(bool) {}
    // A text of the user interface in the window's language; English without a window.
    virtual std::string Text(CamText text) const { return CCamStringTable::English(text); }

    // A one-shot or repeating window timer: OnTimer(id) of the engine every periodMs until killed.
    virtual void StartTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
    virtual void KillTimer(std::uint32_t id) = 0;
    // Ends the window's loop with the exit code.
    virtual void Quit(int exitCode) = 0;
};
