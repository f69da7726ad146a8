// qvtool snapshot: shows one channel cycle of a drive's stream from a packet and holds it, as the
// viewer's one-frame step does, then saves the view exactly as the viewer's JPEG capture (or, with
// --bmp, as the uncaptioned BMP an export takes) and prints the file as JSON.
#include "CQXOffscreenView.h"
#include "KWTick.h"
#include "QXPlayMode.h"
#include "QvToolCaptionText.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"
#include "QvToolMessageLog.h"
#include "QvToolModeWatch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
const char* const kName = "snapshot";
const char* const kUsage = "usage: qvtool snapshot IMAGE|--drive PATH --packet P --dir DIR "
                           "[--size WxH] [--bmp]";
constexpr long kDefaultWidth = 608;
constexpr long kDefaultHeight = 450;
constexpr std::uint32_t kHoldTimeoutMs = 30000;

struct Options {
    unsigned long packet = 0;
    bool packetGiven = false;
    std::string directory;
    long width = kDefaultWidth;
    long height = kDefaultHeight;
    bool bmp = false;
};

int ParseOptions(const std::vector<std::string>& rest, Options& options) {
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& option = rest[i];
        if (option == "--bmp") {
            options.bmp = true;
            continue;
        }
        const std::string value = i + 1 < rest.size() ? rest[++i] : std::string();
        char* end = nullptr;
        if (option == "--packet" && !value.empty() &&
            (options.packet = std::strtoul(value.c_str(), &end, 10), *end == '\0') &&
            options.packet < QXPlayMode::kNoTarget) {
            options.packetGiven = true;
        } else if (option == "--dir" && !value.empty()) {
            options.directory = value;
        } else if (option != "--size" ||
                   !QvToolCommand::ParseViewSize(value, options.width, options.height)) {
            return QvToolCommand::UsageError(kName,
                                             "bad argument '" + option + "' (" + kUsage + ")");
        }
    }
    if (!options.packetGiven || options.directory.empty())
        return QvToolCommand::UsageError(kName, kUsage);
    return QvToolCommand::kExitOk;
}

int Fail(QvToolMessageLog& log, const std::string& text) {
    log.Print(stderr);
    std::fprintf(stderr, "qvtool snapshot: %s\n", text.c_str());
    return QvToolCommand::kExitFailure;
}

int RunSnapshot(const std::vector<std::string>& arguments) {
    std::string path;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::SplitArguments(kName, arguments, {"--packet", "--dir", "--size"},
                                                 path, rest))
        return status;
    Options options;
    if (int status = ParseOptions(rest, options))
        return status;

    const QvToolCaptionText captionText;
    QvToolMessageLog log;
    // The view and the pause counter outlive the reader that reaches them.
    CQXOffscreenView view(static_cast<std::int32_t>(options.width),
                          static_cast<std::int32_t>(options.height));
    if (!view.Open())
        return Fail(log, "the view could not be created");
    CQXScreenManager4& screen = view.GetScreenManager();
    QvToolModeWatch modes;
    QvToolDrive::Stream stream;
    if (int status = QvToolDrive::Open(kName, path, stream, &screen))
        return status;
    CQXStorageDeviceManager& manager = *stream.manager;
    if (options.packet > stream.device->GetStreamLength())
        return Fail(log, "packet " + std::to_string(options.packet) +
                             " lies beyond the stream's last packet " +
                             std::to_string(stream.device->GetStreamLength()));
    // Paused first, so that only the frames of the step count as drawn from the packet. A
    // stream that pauses by itself at its end counts as paused too.
    manager.AddListenerObject(&modes);
    if (!manager.StartStreaming(0))
        return Fail(log, "the stream cannot be played");
    // Held once the pause has come and every frame the reader delivered is drawn.
    const auto drawn = [&screen] { return screen.GetQueuedFrameCount() == 0; };
    manager.SetPlayMode(QXPlayMode::kPause, QXPlayMode::kNoTarget);
    bool held = modes.WaitFor(0, {QXPlayMode::kPause}, kHoldTimeoutMs, drawn);
    const std::uint32_t drawnBefore = screen.GetFramesTaken() - screen.GetDecodeFailures();
    if (held) {
        const std::size_t mark = modes.Mark();
        manager.SetPlayMode(QXPlayMode::kOneForward, static_cast<std::uint32_t>(options.packet));
        held = modes.WaitFor(mark, {QXPlayMode::kOneForward, QXPlayMode::kPause}, kHoldTimeoutMs,
                             drawn);
    }
    manager.StopStreaming();
    manager.CloseAllDevices();
    if (!held)
        return Fail(log, "the stream did not hold at packet " + std::to_string(options.packet));
    // Pictures are decoded from a key picture on; a cycle without one draws nothing.
    if (screen.GetFramesTaken() - screen.GetDecodeFailures() == drawnBefore)
        return Fail(log, "no picture could be drawn from packet " + std::to_string(options.packet) +
                             ": its channel cycle holds no key picture to start from");

    // The capture directory is made relative to the current directory, like the viewer's.
    std::error_code error;
    const std::string directory = std::filesystem::absolute(options.directory, error).string();
    const int captured =
        !error &&
        (options.bmp ? screen.CaptureFrame(directory)
                     : screen.Capture(directory, CQXDirectDrawSurface7Capture::kImageJpeg));
    if (!captured)
        return Fail(log, "no picture was saved in " + options.directory);
    const QXTimestamp time = screen.GetDateTime();
    char numbers[160];
    std::snprintf(numbers, sizeof numbers,
                  ",\"width\":%ld,\"height\":%ld,\"frame_time\":\"%04d-%02d-%02d %02d:%02d:%02d\"}",
                  options.width, options.height + CQXDirectDrawSurface7Capture::kCaptionHeight,
                  time.year + 2000, time.month, time.day, time.hour, time.minute, time.second);
    std::printf("{\"file\":%s%s\n", QvToolJson::String(screen.GetLastCapturePath()).c_str(),
                numbers);
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration
    kRegistration(kName,
                  {"save the view of one channel cycle from packet P as the viewer's JPEG capture "
                   "(--dir DIR, --bmp for the frame without caption)",
                   RunSnapshot});
} // namespace
