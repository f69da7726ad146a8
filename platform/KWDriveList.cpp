#include "KWDriveList.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
const char* const kDriveListVariable = "QUADVIEW_DRIVES";
const char* const kBlockClassFolder = "/sys/block";
const char* const kDeviceFolder = "/dev/";

// Loop, RAM and mapper devices have no "device" link; physical disks and card readers do.
KWDriveList WholeDisks() {
    KWDriveList drives;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kBlockClassFolder, error)) {
        std::error_code linkError;
        if (std::filesystem::exists(entry.path() / "device", linkError))
            drives.push_back(kDeviceFolder + entry.path().filename().string());
    }
    std::sort(drives.begin(), drives.end());
    return drives;
}
} // namespace

KWDriveList KWParseDriveList(const std::string& text) {
    KWDriveList drives;
    std::size_t from = 0;
    for (;;) {
        const std::size_t colon = text.find(':', from);
        drives.push_back(text.substr(from, colon - from));
        if (colon == std::string::npos)
            return drives;
        from = colon + 1;
    }
}

KWDriveList KWSystemDriveList() {
    if (const char* listed = std::getenv(kDriveListVariable))
        return KWParseDriveList(listed);
    return WholeDisks();
}
