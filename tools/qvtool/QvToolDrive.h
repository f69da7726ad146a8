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

// Opens the manager's drives read-only, as the viewer does, and waits until detection has
// finished. Drives named on the command line must all open: returns kExitOk, or kExitFailure
// after printing each named drive that did not open and why. Drives found on the system may be
// refused (a disk the user may not read) without that being an error.
int OpenDrives(const std::string& command, CQXStorageDeviceManager& manager, bool named,
               CQXVideoSink* screenManager = nullptr, CQXMysFileManager* mysFileManager = nullptr);

// The recorded stream of one drive (an image file or block device).
struct Stream {
    std::unique_ptr<CQXStorageDeviceManager> manager;
    CQXStorageDevice* device = nullptr;
};

// Takes the drive from the arguments - the plain argument, or "--drive PATH" - and leaves the
// command's own options, with the values of those named in `valueOptions`, in `rest`. Returns
// kExitOk with `path` set, or the usage status after printing what went wrong.
int SplitArguments(const std::string& command, const std::vector<std::string>& arguments,
                   const std::set<std::string>& valueOptions, std::string& path,
                   std::vector<std::string>& rest);

// Opens the drive and its recorded stream. Returns kExitOk, or an exit status after printing
// what went wrong. The managers, when given, receive the frames of playback: a screen manager
// shows them, a MYS file manager captures them.
int Open(const std::string& command, const std::string& path, Stream& stream,
         CQXVideoSink* screenManager = nullptr, CQXMysFileManager* mysFileManager = nullptr);

// SplitArguments and Open in one.
int OpenStream(const std::string& command, const std::vector<std::string>& arguments,
               const std::set<std::string>& valueOptions, Stream& stream,
               std::vector<std::string>& rest, CQXMysFileManager* mysFileManager = nullptr);
} // namespace QvToolDrive
