#include "CCamSearchRun.h"

#include "CCamFinder.h"
#include "KWMailbox.h"
#include "KWTick.h"

#include <algorithm>
#include <utility>

CCamSearchRun::CCamSearchRun(CamEndpoints endpoints, std::uint32_t durationMs)
    : m_endpoints(std::move(endpoints)), m_durationMs(durationMs) {}

void CCamSearchRun::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
    m_timers[id] = Timer{periodMs, KWGetTickCount()};
}

void CCamSearchRun::KillTimer(std::uint32_t id) {
    m_timers.erase(id);
}

void CCamSearchRun::Quit(int) {
    m_quit = true;
}

std::uint32_t CCamSearchRun::TimeToNextTimer(std::uint32_t limit) const {
    const std::uint32_t now = KWGetTickCount();
    for (const auto& [id, timer] : m_timers) {
        const std::uint32_t elapsed = KWTicksSince(timer.started, now);
        limit = std::min(limit, elapsed >= timer.periodMs ? 0 : timer.periodMs - elapsed);
    }
    return limit;
}

void CCamSearchRun::FireDueTimers(CCamFinder& finder) {
    const std::uint32_t now = KWGetTickCount();
    std::vector<std::uint32_t> due;
    for (auto& [id, timer] : m_timers)
        if (KWTicksSince(timer.started, now) >= timer.periodMs) {
            timer.started = now;
            due.push_back(id);
        }
    for (const std::uint32_t id : due)
        if (m_timers.count(id) != 0) // an earlier callback may have killed it
            finder.OnTimer(id);
}

bool CCamSearchRun::Run(std::vector<CameraRecord>& cameras) {
    auto mailbox = KWMailbox::ForCurrentThread();
    mailbox->SetWaker([this] { m_wake.Set(); });
    m_quit = false;
    bool completed = false;
    {
        CCamFinder finder(*this, m_endpoints);
        if (finder.Start()) {
            finder.StartSearch();
            const std::uint32_t start = KWGetTickCount();
            for (;;) {
                mailbox->DeliverAll();
                if (m_quit)
                    break;
                const std::uint32_t elapsed = KWTicksSince(start, KWGetTickCount());
                if (elapsed >= m_durationMs) {
                    completed = true;
                    break;
                }
                FireDueTimers(finder);
                m_wake.Wait(TimeToNextTimer(m_durationMs - elapsed));
            }
            cameras = finder.Cameras();
        }
    }
    mailbox->SetWaker(nullptr);
    m_timers.clear();
    return completed;
}
