#include "QXViewerTransport.h"

#include "QXPlayMode.h"

using namespace QXPlayMode;

namespace {
// The labels of steps 4 and 5 read x10 and x16 in both directions.
constexpr const char* kStatusTexts[kCount] = {
    "Not Playing", "Pause",   "Playing", "Pause",    "Reverse",  "FF x 2",
    "FF x 4",      "FF x 8",  "FF x 10", "FF x 16",  "FF x 64",  "REW x 2",
    "REW x 4",     "REW x 8", "REW x10", "REW x 16", "REW x 64", "Pause",
};
} // namespace

namespace QXViewerTransport {
std::uint32_t FastReverse(std::uint32_t mode) {
    switch (mode) {
    case kOneForward:
    case kPlay:
    case kFastForward64:
    case kRewind32:
    case kRewind64:
    case kPause:
        return kReverse;
    case kOneReverse:
    case kReverse:
        return kRewind2;
    case kRewind2:
    case kRewind4:
    case kRewind8:
    case kRewind16:
        return mode + 1;
    case kFastForward2:
        return kPlay;
    case kFastForward4:
    case kFastForward8:
    case kFastForward16:
    case kFastForward32:
        return mode - 1;
    default:
        return mode;
    }
}

std::uint32_t FastForward(std::uint32_t mode) {
    switch (mode) {
    case kOneForward:
    case kOneReverse:
    case kReverse:
    case kFastForward16:
    case kFastForward32:
    case kFastForward64:
    case kRewind2:
    case kRewind64:
    case kPause:
        return kPlay;
    case kPlay:
        return kFastForward2;
    case kFastForward2:
    case kFastForward4:
    case kFastForward8:
        return mode + 1;
    case kRewind4:
    case kRewind8:
    case kRewind16:
    case kRewind32:
        return mode - 1;
    default:
        return mode;
    }
}

std::uint32_t Pause(std::uint32_t mode) {
    if (mode == kPause)
        return kPlay;
    return IsSet(mode) ? kPause : mode;
}

std::uint32_t ReversePlay(std::uint32_t mode) {
    return IsSet(mode) ? kReverse : mode;
}

std::uint32_t Play(std::uint32_t mode) {
    return IsSet(mode) ? kPlay : mode;
}

std::uint32_t OneForward(std::uint32_t mode) {
    return IsSet(mode) && mode != kReverse ? kOneForward : mode;
}

std::uint32_t OneReverse(std::uint32_t mode) {
    return IsSet(mode) && mode != kReverse ? kOneReverse : mode;
}

const char* StatusText(std::uint32_t mode) {
    return IsValid(mode) ? kStatusTexts[mode - kNone] : kStatusTexts[0];
}
} // namespace QXViewerTransport
