#pragma once
#include <QString>

// The snapshot folder: the player's only stored setting, section "SNAPSHOT", key "path" of its
// INI settings file in the user's configuration directory. The text is a prefix of the snapshot
// names exactly as stored; nothing is added or removed.
namespace CSnapshotSetting {
constexpr const char* kSection = "SNAPSHOT";
constexpr const char* kKey = "path";
constexpr const char* kOrganisation = "Reelback";
constexpr const char* kApplication = "Reelback";

// "Reelback/" in the user's Pictures folder when it exists, else in the home folder.
QString DefaultFolder();
QString Read();
// False when the settings file cannot be written.
bool Write(const QString& text);
} // namespace CSnapshotSetting
