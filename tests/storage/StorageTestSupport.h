#pragma once
#include "CQXStorageDevice.h"
#include "KWIdeStorageDevice.h"
#include "KWMailbox.h"
#include "KWRecordingTarget.h"

#include <algorithm>
#include <vector>

// Waits (generously) until the device has finished probing and scanning.
inline bool WaitUntilIdle(CQXStorageDevice& device) {
    constexpr std::uint32_t kIdleTimeoutMs = 30000;
    return KWWaitDeliveringSends(kIdleTimeoutMs, [&device] { return !device.IsBusy(); });
}

inline std::size_t CountOf(const KWRecordingTarget& target, std::uint32_t message) {
    const auto received = target.Received();
    return static_cast<std::size_t>(std::count_if(
        received.begin(), received.end(),
        [message](const KWRecordingTarget::Message& m) { return m.message == message; }));
}

inline std::vector<std::uint32_t> MessageNumbers(const KWRecordingTarget& target) {
    std::vector<std::uint32_t> numbers;
    for (const auto& m : target.Received())
        numbers.push_back(m.message);
    return numbers;
}
