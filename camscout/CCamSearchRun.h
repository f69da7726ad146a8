#pragma once
#include "CCamFinderView.h"
#include "CamEndpoints.h"
#include "CameraRecord.h"
#include "KWEvent.h"

#include <cstdint>
#include <map>
#include <vector>

class CCamFinder;

// The discovery sequence without a window: runs a finder on the calling thread for a fixed
// time, delivering its replies and timers, and hands back the merged camera list.
class CCamSearchRun : public CCamFinderView {
public:
    CCamSearchRun(CamEndpoints endpoints, std::uint32_t durationMs);

    // True with the cameras found; false when the finder ended early (its reply port was taken
    // or its receiver could not start), after the finder told the user why.
    bool Run(std::vector<CameraRecord>& cameras);

    void StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void KillTimer(std::uint32_t id) override;
    void Quit(int exitCode) override;

private:
    struct Timer {
        std::uint32_t periodMs;
        std::uint32_t started;
    };
    void FireDueTimers(CCamFinder& finder);
    // Milliseconds until the next timer is due (0 when one is due now), capped by limit.
    std::uint32_t TimeToNextTimer(std::uint32_t limit) const;

    const CamEndpoints m_endpoints;
    const std::uint32_t m_durationMs;
    std::map<std::uint32_t, Timer> m_timers;
    KWEvent m_wake;
    bool m_quit = false;
};
