#pragma once
#include <cstdint>

// The play modes of a stream reader (the device reader and the MYS player): direction, speed
// and pacing as one 32-bit code, with the short name the device information prints.
namespace QXPlayMode {
constexpr std::uint32_t kNone = 0x10000;
constexpr std::uint32_t kOneForward = 0x10001;
constexpr std::uint32_t kPlay = 0x10002;
constexpr std::uint32_t kOneReverse = 0x10003;
constexpr std::uint32_t kReverse = 0x10004;
constexpr std::uint32_t kForward2 = 0x10005;
constexpr std::uint32_t kForward4 = 0x10006;
constexpr std::uint32_t kForward8 = 0x10007;
constexpr std::uint32_t kForward16 = 0x10008;
constexpr std::uint32_t kForward32 = 0x10009;
constexpr std::uint32_t kForward64 = 0x1000A;
constexpr std::uint32_t kRewind2 = 0x1000B;
constexpr std::uint32_t kRewind4 = 0x1000C;
constexpr std::uint32_t kRewind8 = 0x1000D;
constexpr std::uint32_t kRewind16 = 0x1000E;
constexpr std::uint32_t kRewind32 = 0x1000F;
constexpr std::uint32_t kRewind64 = 0x10010;
constexpr std::uint32_t kPause = 0x10011;

constexpr std::uint32_t kModeCount = kPause - kNone + 1;
// The parameter of a mode change that keeps the current position.
constexpr std::uint32_t kKeepPosition = 0xFFFFFFFF;

constexpr const char* kNames[kModeCount] = {
    "none", "onef", "play", "oner", "rev",  "ff2",   "ff4",   "ff8",   "ff16",
    "ff32", "ff64", "rew2", "rew4", "rew8", "rew16", "rew32", "rew64", "pause",
};

constexpr bool IsMode(std::uint32_t code) {
    return code >= kNone && code <= kPause;
}
// A mode in which the reader has a stream: everything but "none".
constexpr bool IsSet(std::uint32_t code) {
    return code > kNone && code <= kPause;
}
// The mode's name; empty for a code that is no mode.
constexpr const char* Name(std::uint32_t code) {
    return IsMode(code) ? kNames[code - kNone] : "";
}
} // namespace QXPlayMode
