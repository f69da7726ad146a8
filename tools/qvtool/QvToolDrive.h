#pragma once
#include "CQXStorageDeviceManager.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

// Opens drives for qvtool the way the viewer does - read-only, with detection - and waits
// until detection has finished.
namespace QvToolDrive {
void WaitUntilIdle(CQXStorageDeviceManager& manager);

// The recorded stream of one drive (an image file or block device).
struct Stream {
    std::unique_ptr<CQXStorageDeviceManager> manager;
    CQXStorageDevice* device = nullptr;
};

// Takes the drive from the arguments - the plain argument, or "--drive PATH" - and leaves the
// command's own options, with the values of those named in `valueOptions`, in `rest`. Returns
// kExitOk with the stream opened, or an exit status after printing what went wrong.
// A MYS file manager, when given, receives the frames of playback (stream capture).
int OpenStream(const std::string& command, const std::vector<std::string>& arguments,
               const std::set<std::string>& valueOptions, Stream& stream,
               std::vector<std::string>& rest, CQXMysFileManager* mysFileManager = nullptr);
} // namespace QvToolDrive
