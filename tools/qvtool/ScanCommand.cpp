// qvtool scan: finds the drives that hold a recorded stream and prints them as one JSON object.
// Drives are only ever opened for reading.
#include "CQXStorageDeviceManager.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>
#include <string>

namespace {
const char* const kName = "scan";

std::string DeviceJson(CQXStorageDevice& device, std::uint8_t index) {
    char numbers[256];
    std::snprintf(numbers, sizeof numbers, "{\"index\":%u,\"drive\":%u,\"path\":", index,
                  device.GetDriveNumber());
    std::string json = numbers + QvToolJson::String(device.GetDrivePath());
    std::snprintf(numbers, sizeof numbers, ",\"ide\":%s,\"media_type\":%u,\"media_type_name\":",
                  device.IsIdeDevice() ? "true" : "false", device.GetMediaType());
    json += numbers + QvToolJson::String(device.GetMediaTypeName());
    std::snprintf(numbers, sizeof numbers,
                  ",\"sectors\":%llu,\"packets\":%u,\"formatted\":%s,\"stream_length\":%u}",
                  static_cast<unsigned long long>(device.GetSectorCount()), device.GetPacketCount(),
                  device.IsFormatted() ? "true" : "false", device.GetStreamLength());
    return json + numbers;
}

int RunScan(const std::vector<std::string>& arguments) {
    KWDriveList drives;
    bool explicitDrives = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--drive")
            return QvToolCommand::UsageError(kName, "unknown argument '" + arguments[i] +
                                                        "' (usage: qvtool scan [--drive PATH]...)");
        if (i + 1 == arguments.size())
            return QvToolCommand::UsageError(kName, "--drive needs a path");
        drives.push_back(arguments[++i]);
        explicitDrives = true;
    }

    CQXStorageDeviceManager manager(explicitDrives ? drives : KWSystemDriveList());
    if (int status = QvToolDrive::OpenDrives(kName, manager, explicitDrives))
        return status;

    std::string json = "{\"devices\":[";
    for (std::uint8_t i = 0; i < manager.GetDeviceCount(); ++i)
        json += (i ? "," : "") + DeviceJson(*manager.GetDevice(i), i);
    json += "],\"formatted\":[";
    for (std::uint8_t n = 0; n < manager.GetFormattedCount(); ++n)
        json += (n ? "," : "") + std::to_string(manager.GetFormattedDevice(n));
    json += "]}";
    std::printf("%s\n", json.c_str());
    manager.CloseAllDevices();
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName, {"find the drives that hold a recorded stream (--drive PATH to choose them)", RunScan});
} // namespace
