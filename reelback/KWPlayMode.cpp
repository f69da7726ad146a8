#include "KWPlayMode.h"

namespace KWPlayMode {
namespace {
constexpr const char* kFastForwardTexts[] = {"FF * 2", "FF * 4", "FF * 8", "FF * 16", "FF * 32"};
constexpr const char* kFastReverseTexts[] = {"FR * 2", "FR * 4", "FR * 8", "FR * 16", "FR * 32"};

// Repeated presses step through the speeds of a fast mode and wrap from x32 to x2.
std::optional<Transition> NextFast(int mode, int first, int last) {
    if (mode > kPause) {
        return std::nullopt;
    }
    if (mode >= first && mode < last) {
        return Transition{mode + 1, false};
    }
    return Transition{first, mode == kPause};
}
} // namespace

const char* StatusText(int mode) {
    if (mode == kPlay) {
        return "PLAY";
    }
    if (mode == kReverse) {
        return "Reverse";
    }
    if (mode == kPause) {
        return "PAUSE";
    }
    if (IsFastForward(mode)) {
        return kFastForwardTexts[mode - kFastForwardFirst];
    }
    if (IsFastReverse(mode)) {
        return kFastReverseTexts[mode - kFastReverseFirst];
    }
    return "";
}

bool IsFastForward(int mode) {
    return mode >= kFastForwardFirst && mode <= kFastForwardLast;
}

bool IsFastReverse(int mode) {
    return mode >= kFastReverseFirst && mode <= kFastReverseLast;
}

// Entering kPlay resumes by itself, so no extra resume is needed.
std::optional<Transition> OnPlay(int mode) {
    if (mode > kPause || mode == kPlay) {
        return std::nullopt;
    }
    return Transition{kPlay, false};
}

std::optional<Transition> OnPause(int mode) {
    if (mode < kNone || mode >= kPause) {
        return std::nullopt;
    }
    return Transition{kPause, false};
}

std::optional<Transition> OnReverse(int mode) {
    if (mode > kPause || mode == kReverse) {
        return std::nullopt;
    }
    return Transition{kReverse, mode == kPause};
}

std::optional<Transition> OnFastForward(int mode) {
    return NextFast(mode, kFastForwardFirst, kFastForwardLast);
}

std::optional<Transition> OnFastReverse(int mode) {
    return NextFast(mode, kFastReverseFirst, kFastReverseLast);
}
} // namespace KWPlayMode
