// qvtool scan: finds the drives that hold a recorded stream and prints them as one JSON object.
// With --deep it also lists, for every drive with a stream, the runs of recorded packets beyond
// the stream's end (older recordings not yet overwritten). Drives are only ever opened for
// reading.
#include "CQXRunFinder.h"
#include "CQXStorageDeviceManager.h"
#include "KWTick.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>
#include <string>

namespace {
const char* const kName = "scan";
const char* const kUsage = "usage: qvtool scan [--drive PATH]... [--deep [--full]]";
constexpr std::uint32_t kProgressEveryMs = 1000;

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

std::string TimeJson(const CQXRunFinder::Run& run, const QXTimestamp& time) {
    if (!run.timed)
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year + 2000, time.month,
                  time.day, time.hour, time.minute, time.second);
    return QvToolJson::String(text);
}

// The runs beyond the stream's end of a drive with a stream, as a JSON object.
std::string DeepJson(CQXStorageDevice& device, std::uint8_t index, bool full) {
    KWRawDrive handle;
    if (!device.OpenDriveHandle(handle))
        return "{\"index\":" + std::to_string(index) + ",\"error\":\"the drive cannot be read\"}";
    std::uint32_t lastPrint = KWGetTickCount();
    const std::uint32_t started = lastPrint;
    CQXRunFinder finder(device, handle);
    const auto runs = finder.Find(full, CQXRunFinder::kDefaultSamples,
                                  [&](std::uint64_t done, std::uint64_t total) {
                                      const std::uint32_t now = KWGetTickCount();
                                      if (KWTicksSince(lastPrint, now) < kProgressEveryMs)
                                          return;
                                      lastPrint = now;
                                      const double elapsed = KWTicksSince(started, now) / 1000.0;
                                      std::fprintf(stderr,
                                                   "qvtool scan: %llu of %llu packets beyond the "
                                                   "stream tested, about %.0f s left\n",
                                                   static_cast<unsigned long long>(done),
                                                   static_cast<unsigned long long>(total),
                                                   done ? elapsed * (total - done) / done : 0.0);
                                  });
    std::string json = "{\"index\":" + std::to_string(index) +
                       ",\"stream_length\":" + std::to_string(device.GetStreamLength()) +
                       ",\"packets\":" + std::to_string(device.GetPacketCount()) +
                       ",\"full\":" + (full ? "true" : "false") +
                       ",\"reads\":" + std::to_string(finder.GetReads()) + ",\"runs\":[";
    for (std::size_t i = 0; i < runs.size(); ++i)
        json += std::string(i ? "," : "") + "{\"first_packet\":" + std::to_string(runs[i].first) +
                ",\"last_packet\":" + std::to_string(runs[i].last) +
                ",\"first_time\":" + TimeJson(runs[i], runs[i].firstTime) +
                ",\"last_time\":" + TimeJson(runs[i], runs[i].lastTime) + "}";
    return json + "]}";
}

int RunScan(const std::vector<std::string>& arguments) {
    KWDriveList drives;
    bool explicitDrives = false;
    bool deep = false;
    bool full = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--deep") {
            deep = true;
            continue;
        }
        if (arguments[i] == "--full") {
            full = true;
            continue;
        }
        if (arguments[i] != "--drive")
            return QvToolCommand::UsageError(kName, "unknown argument '" + arguments[i] + "' (" +
                                                        kUsage + ")");
        if (i + 1 == arguments.size())
            return QvToolCommand::UsageError(kName, "--drive needs a path");
        drives.push_back(arguments[++i]);
        explicitDrives = true;
    }

    if (full && !deep)
        return QvToolCommand::UsageError(kName,
                                         std::string("--full goes with --deep (") + kUsage + ")");
    CQXStorageDeviceManager manager(explicitDrives ? drives : KWSystemDriveList());
    if (int status = QvToolDrive::OpenDrives(kName, manager, explicitDrives))
        return status;

    std::string json = "{\"devices\":[";
    for (std::uint8_t i = 0; i < manager.GetDeviceCount(); ++i)
        json += (i ? "," : "") + DeviceJson(*manager.GetDevice(i), i);
    json += "],\"formatted\":[";
    for (std::uint8_t n = 0; n < manager.GetFormattedCount(); ++n)
        json += (n ? "," : "") + std::to_string(manager.GetFormattedDevice(n));
    json += "]";
    if (deep) {
        json += ",\"deep\":[";
        for (std::uint8_t n = 0; n < manager.GetFormattedCount(); ++n) {
            const std::uint8_t index = manager.GetFormattedDevice(n);
            json += (n ? "," : "") + DeepJson(*manager.GetDevice(index), index, full);
        }
        json += "]";
    }
    json += "}";
    std::printf("%s\n", json.c_str());
    manager.CloseAllDevices();
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName, {"find the drives that hold a recorded stream (--drive PATH to choose them; --deep "
            "[--full] also lists older recordings beyond the stream's end)",
            RunScan});
} // namespace
