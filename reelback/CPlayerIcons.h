#pragma once
#include <QIcon>

// The player's icons, drawn at start-up, by the numbers the window uses for them.
namespace CPlayerIcons {
constexpr int kSoundOn = 131;
constexpr int kFastForwardNoFile = 132;
constexpr int kFastForward = 133;
constexpr int kSnapshot = 135;
constexpr int kLoadFile = 137;
constexpr int kPauseNoFile = 138;
constexpr int kPause = 139;
constexpr int kPlay = 141;
constexpr int kReverseNoFile = 142;
constexpr int kReverse = 143;
constexpr int kFastReverseNoFile = 144;
constexpr int kFastReverse = 145;
constexpr int kMuted = 146;
constexpr int kApplication = 150;

constexpr int kSize = 32;

// The icon of the number; a null icon for a number that is not one of the above.
QIcon Icon(int id);
} // namespace CPlayerIcons
