#pragma once
#include <optional>

// The player's play and speed state (PlayMode) with its status texts and the transitions of the
// play, pause, reverse, fast forward and fast reverse commands.
namespace KWPlayMode {
constexpr int kNone = 0;
constexpr int kPlay = 3;
constexpr int kReverse = 5;
constexpr int kFastForwardFirst = 6; // x2; up to x32
constexpr int kFastForwardLast = 10;
constexpr int kFastReverseFirst = 15; // x2; up to x32
constexpr int kFastReverseLast = 19;
constexpr int kPause = 20;

// The control's speed step of a fast mode: 2 (x2) ... 6 (x32).
constexpr int kFirstFastStep = 2;

// What a command does: the new mode, and whether playback resumes from a pause before the mode's
// own calls.
struct Transition {
    int mode;
    bool resumeFirst;
};

// The status text of a mode; empty for kNone and unknown values.
const char* StatusText(int mode);
bool IsFastForward(int mode);
bool IsFastReverse(int mode);

// Each returns nothing when the command leaves the mode as it is.
std::optional<Transition> OnPlay(int mode);
std::optional<Transition> OnPause(int mode);
std::optional<Transition> OnReverse(int mode);
std::optional<Transition> OnFastForward(int mode);
std::optional<Transition> OnFastReverse(int mode);
} // namespace KWPlayMode
