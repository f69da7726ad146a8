#include "QXMysTransport.h"

#include "QXPlayMode.h"

using namespace QXPlayMode;

namespace QXMysTransport {
std::uint32_t FastReverse(std::uint32_t mode) {
    if (mode >= kRewind2 && mode < kRewind32)
        return mode + 1;
    return IsSet(mode) ? kRewind2 : mode;
}

std::uint32_t FastForward(std::uint32_t mode) {
    if (mode >= kFastForward2 && mode < kFastForward32)
        return mode + 1;
    return IsSet(mode) ? kFastForward2 : mode;
}

std::uint32_t Pause(std::uint32_t mode) {
    return IsSet(mode) ? kPause : mode;
}

std::uint32_t FastReverseKey(std::uint32_t mode) {
    switch (mode) {
    case kOneForward:
    case kPlay:
    case kFastForward64:
    case kPause:
    case kRewind64:
        return kReverse;
    case kOneReverse:
    case kReverse:
        return kRewind2;
    case kFastForward2:
        return kPlay;
    default:
        if (mode > kFastForward2 && mode <= kFastForward32)
            return mode - 1;
        if (mode >= kRewind2 && mode < kRewind64)
            return mode + 1;
        return mode;
    }
}

std::uint32_t FastForwardKey(std::uint32_t mode) {
    if (mode == kPlay)
        return kFastForward2;
    if (mode >= kFastForward2 && mode < kFastForward64)
        return mode + 1;
    return IsSet(mode) ? kPlay : mode;
}
} // namespace QXMysTransport
