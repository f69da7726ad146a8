#pragma once
#include <cstdint>

// The play modes shared by the device stream reader and the MYS player: 32-bit codes from
// 0x10000, each with the name the device information prints.
namespace QXPlayMode {
constexpr std::uint32_t kNone = 0x10000;
constexpr std::uint32_t kOneForward = 0x10001;
constexpr std::uint32_t kPlay = 0x10002;
constexpr std::uint32_t kOneReverse = 0x10003;
constexpr std::uint32_t kReverse = 0x10004;
constexpr std::uint32_t kFastForward2 = 0x10005;
constexpr std::uint32_t kFastForward4 = 0x10006;
constexpr std::uint32_t kFastForward8 = 0x10007;
constexpr std::uint32_t kFastForward16 = 0x10008;
constexpr std::uint32_t kFastForward32 = 0x10009;
constexpr std::uint32_t kFastForward64 = 0x1000A;
constexpr std::uint32_t kRewind2 = 0x1000B;
constexpr std::uint32_t kRewind4 = 0x1000C;
constexpr std::uint32_t kRewind8 = 0x1000D;
constexpr std::uint32_t kRewind16 = 0x1000E;
constexpr std::uint32_t kRewind32 = 0x1000F;
constexpr std::uint32_t kRewind64 = 0x10010;
constexpr std::uint32_t kPause = 0x10011;

constexpr std::uint32_t kCount = kPause - kNone + 1;
// A jump parameter that names no target (for "onef": stay where the stream is).
constexpr std::uint32_t kNoTarget = 0xFFFFFFFF;

// Indexed by code - kNone.
constexpr const char* kNames[kCount] = {"none", "onef", "play",  "oner",  "rev",   "ff2",
                                        "ff4",  "ff8",  "ff16",  "ff32",  "ff64",  "rew2",
                                        "rew4", "rew8", "rew16", "rew32", "rew64", "pause"};

// A code of the table, "none" included.
constexpr bool IsValid(std::uint32_t code) {
    return code >= kNone && code <= kPause;
}
// A mode that was chosen: any code of the table except "none".
constexpr bool IsSet(std::uint32_t code) {
    return code > kNone && code <= kPause;
}
constexpr std::uint32_t Index(std::uint32_t code) {
    return code - kNone;
}
// The name of a code; "" for a value outside the table.
constexpr const char* Name(std::uint32_t code) {
    return IsValid(code) ? kNames[Index(code)] : "";
}
constexpr bool IsFastForward(std::uint32_t code) {
    return code >= kFastForward2 && code <= kFastForward64;
}
constexpr bool IsRewind(std::uint32_t code) {
    return code >= kRewind2 && code <= kRewind64;
}
// Channel cycles a backward mode moves back for each cycle it shows: 1 for "oner" and "rev"
// (one frame at a time), 2 to 64 for "rew2" to "rew64"; 0 for the other modes.
constexpr int BackwardCycles(std::uint32_t code) {
    if (code == kOneReverse || code == kReverse)
        return 1;
    return IsRewind(code) ? 2 << (code - kRewind2) : 0;
}
// The modes that read nothing.
constexpr bool IsStopped(std::uint32_t code) {
    return code == kNone || code == kPause;
}
} // namespace QXPlayMode
