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

// Identify data in the layout of a drive's answer: 16-bit little-endian words.
inline KWRawDrive::IdentifyData IdentifyData(std::uint32_t sectors28, bool has48Bit,
                                             std::uint64_t sectors48) {
    KWRawDrive::IdentifyData data{};
    auto setWord = [&data](int word, std::uint16_t value) {
        data[2 * word] = static_cast<std::uint8_t>(value);
        data[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    setWord(0, 0x0040); // fixed device
    setWord(60, static_cast<std::uint16_t>(sectors28));
    setWord(61, static_cast<std::uint16_t>(sectors28 >> 16));
    setWord(83, has48Bit ? 0x7469 : 0x7069); // bit 10: the 48-bit address feature set
    for (int i = 0; i < 4; ++i)
        setWord(100 + i, static_cast<std::uint16_t>(sectors48 >> (16 * i)));
    return data;
}
