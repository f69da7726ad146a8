#include "QvToolModeWatch.h"

#include "CQXStorageDeviceManager.h"
#include "KWTick.h"

namespace {
constexpr std::uint32_t kPollMs = 5;
} // namespace

KWResult QvToolModeWatch::OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam) {
    if (message == CQXStorageDeviceManager::kMessageModeChanged) {
        std::lock_guard lock(m_mutex);
        m_modes.push_back(static_cast<std::uint32_t>(wParam));
    }
    return 0;
}

std::size_t QvToolModeWatch::Mark() const {
    std::lock_guard lock(m_mutex);
    return m_modes.size();
}

bool QvToolModeWatch::HasSeen(std::size_t mark, std::initializer_list<std::uint32_t> modes) const {
    std::lock_guard lock(m_mutex);
    const auto* wanted = modes.begin();
    for (std::size_t i = mark; i < m_modes.size() && wanted != modes.end(); ++i)
        if (m_modes[i] == *wanted)
            ++wanted;
    return wanted == modes.end();
}

bool QvToolModeWatch::WaitFor(std::size_t mark, std::initializer_list<std::uint32_t> modes,
                              std::uint32_t timeoutMs, const std::function<bool()>& also) const {
    const std::uint32_t start = KWGetTickCount();
    while (!HasSeen(mark, modes) || (also && !also())) {
        if (KWTicksSince(start, KWGetTickCount()) > timeoutMs)
            return false;
        KWSleep(kPollMs);
    }
    return true;
}
