// qvtool capture: copies a stretch of a drive's stream into MYS files as the viewer's capture
// does - pauses at a packet, captures while playing for some seconds, stops - and lists the files.
#include "CQXMysFileManager.h"
#include "KWTick.h"
#include "QXPlayMode.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"
#include "QvToolModeWatch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {
const char* const kName = "capture";
const char* const kUsage =
    "usage: qvtool capture IMAGE|--drive PATH --dir DIR [--from PACKET] [--seconds S]";
constexpr double kDefaultSeconds = 10;
constexpr std::uint32_t kPollMs = 5;
constexpr std::uint32_t kModeTimeoutMs = 30000;

std::set<std::string> MysFiles(const std::string& folder) {
    std::set<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == ".mys")
            files.insert(entry.path().string());
    return files;
}

int RunCapture(const std::vector<std::string>& arguments) {
    QvToolModeWatch modes; // outlives the reader that reports to it
    CQXMysFileManager files;
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments, {"--dir", "--from", "--seconds"},
                                             stream, rest, &files))
        return status;
    std::string folder;
    unsigned long from = 0;
    double seconds = kDefaultSeconds;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const std::string value = i + 1 < rest.size() ? rest[i + 1] : std::string();
        char* end = nullptr;
        if (rest[i] == "--dir" && !value.empty()) {
            folder = value;
        } else if (rest[i] == "--from" &&
                   (from = std::strtoul(value.c_str(), &end, 10), *end == '\0') &&
                   from < QXPlayMode::kNoTarget) {
        } else if (rest[i] == "--seconds" &&
                   (seconds = std::strtod(value.c_str(), &end), *end == '\0') && seconds > 0) {
        } else {
            return QvToolCommand::UsageError(kName,
                                             "bad argument '" + rest[i] + "' (" + kUsage + ")");
        }
    }
    if (folder.empty())
        return QvToolCommand::UsageError(kName, std::string("--dir is required (") + kUsage + ")");
    if (from > stream.device->GetStreamLength()) {
        std::fprintf(stderr, "qvtool capture: packet %lu lies beyond the stream's last packet %u\n",
                     from, stream.device->GetStreamLength());
        return QvToolCommand::kExitFailure;
    }
    // The capture folder is made relative to the current directory, like the viewer's.
    const std::string directory = std::filesystem::absolute(folder).string();
    const std::set<std::string> before = MysFiles(directory);

    CQXStorageDeviceManager& manager = *stream.manager;
    manager.AddListenerObject(&modes);
    const std::uint8_t formatted = 0;
    if (!manager.StartStreaming(formatted)) {
        std::fprintf(stderr, "qvtool capture: the stream cannot be played\n");
        return QvToolCommand::kExitFailure;
    }
    // "onef" to the packet shows one channel cycle there and pauses.
    const std::size_t stepped = modes.Mark();
    manager.SetPlayMode(QXPlayMode::kOneForward, static_cast<std::uint32_t>(from));
    const bool paused =
        modes.WaitFor(stepped, {QXPlayMode::kOneForward, QXPlayMode::kPause}, kModeTimeoutMs);
    const std::size_t started = modes.Mark();
    if (!paused || !manager.StartCapture(directory) ||
        !modes.WaitFor(started, {QXPlayMode::kPlay}, kModeTimeoutMs)) {
        std::fprintf(stderr, "qvtool capture: the stream did not pause at packet %lu\n", from);
        manager.StopStreaming();
        return QvToolCommand::kExitFailure;
    }
    // Plays until the time is up, or until the end of the recording pauses the stream.
    const std::uint32_t start = KWGetTickCount();
    while (KWTicksSince(start, KWGetTickCount()) < seconds * 1000 &&
           !modes.HasSeen(started, {QXPlayMode::kPlay, QXPlayMode::kPause}))
        KWSleep(kPollMs);
    manager.StopCapture();
    manager.StopStreaming();
    manager.CloseAllDevices();

    std::string json = "{\"dir\":" + QvToolJson::String(directory) + ",\"files\":[";
    bool first = true;
    for (const std::string& file : MysFiles(directory)) {
        if (before.count(file))
            continue;
        json += (first ? "" : ",") + QvToolJson::String(file);
        first = false;
    }
    std::printf("%s]}\n", json.c_str());
    if (files.HasRecorderFailed()) {
        std::fprintf(stderr,
                     "qvtool capture: Error occurred while capturing: writing into %s failed (is "
                     "the disk full?); the files listed hold the stream up to there\n",
                     directory.c_str());
        return QvToolCommand::kExitFailure;
    }
    if (first) {
        std::fprintf(stderr,
                     "qvtool capture: no MYS file was written: the stretch held no key picture to "
                     "start from, or %s cannot be written\n",
                     directory.c_str());
        return QvToolCommand::kExitFailure;
    }
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration
    kRegistration(kName,
                  {"copy S seconds of IMAGE from a packet into MYS files (--dir DIR)", RunCapture});
} // namespace
