// What the viewer's engines cost while they play, rest and race: a disk like the demo's (four
// channels at 640x224, with sound) read by the device reader and shown through the real screen
// manager on a 608x450 view, for a fixed stretch each at 1x, paused and ff64. Reports the
// process's CPU time as a share of one core and, where the stream moves, per second of stream.
// With "whole" the screen manager draws the whole view for every frame, as the reference its
// drawing of the changed parts is measured against.
//   bench_viewer_cost [seconds per stretch, default 5] [disk image, default: one recorded here]
//                     [whole]
#include "CQXOffscreenView.h"
#include "CQXStorageDeviceManager.h"
#include "DvrRecorder.h"
#include "KWQtTextPainter.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

namespace {
constexpr int kViewWidth = 608;
constexpr int kViewHeight = 450;
constexpr double kRecordedSeconds = 180;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

int SecondOfDay(const QXTimestamp& time) {
    return (time.day * 24 + time.hour) * 3600 + time.minute * 60 + time.second;
}

// Runs the reader in `mode` for `seconds` and prints the cost.
void Measure(CQXStorageDeviceManager& manager, CQXScreenManager4& screen, const char* name,
             std::uint32_t mode, double seconds) {
    manager.SetPlayMode(mode, QXPlayMode::kNoTarget);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // let the mode settle
    const int streamBefore = SecondOfDay(screen.GetDateTime());
    const std::uint32_t framesBefore = screen.GetFramesTaken();
    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const int stream = SecondOfDay(screen.GetDateTime()) - streamBefore;
    const std::uint32_t frames = screen.GetFramesTaken() - framesBefore;
    std::printf("%-7s %5.2f %% of a core  %6u frames  %4d s of stream", name, 100.0 * cpu / seconds,
                frames, stream);
    if (stream > 0)
        std::printf("  %7.2f ms CPU per second of stream", 1000.0 * cpu / stream);
    std::printf("\n");
}
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    KWInstallQtTextPainter();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const bool recordHere = argc <= 2 || std::string(argv[2]).empty();
    const bool wholeView = argc > 3 && std::string(argv[3]) == "whole";
    const std::filesystem::path image =
        recordHere ? std::filesystem::temp_directory_path() / "bench_viewer_cost.img"
                   : std::filesystem::path(argv[2]);
    if (recordHere) {
        DvrRecorder::Options options;
        options.output = image.string();
        options.slices = 14;
        options.seconds = kRecordedSeconds;
        options.start.tm_year = 126;
        options.start.tm_mday = 1;
        std::fprintf(stderr, "recording %.0f s of four channels ...\n", kRecordedSeconds);
        const DvrRecorder::Result disk = DvrRecorder(options).Record();
        if (!disk.ok) {
            std::fprintf(stderr, "bench_viewer_cost: %s\n", disk.error.c_str());
            return 1;
        }
    }
    CQXOffscreenView view(kViewWidth, kViewHeight);
    CQXStorageDeviceManager manager({image.string()});
    if (!view.Open() || !manager.OpenAllDevices(&view.GetScreenManager(), nullptr, nullptr)) {
        std::fprintf(stderr, "bench_viewer_cost: the viewer's engines could not be created\n");
        return 1;
    }
    while (manager.IsAnyDeviceBusy())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (manager.StartStreaming(0) != 1) {
        std::fprintf(stderr, "bench_viewer_cost: the disk does not play\n");
        return 1;
    }
    CQXScreenManager4& screen = view.GetScreenManager();
    screen.SetWholeViewDrawing(wholeView);
    Measure(manager, screen, "1x", QXPlayMode::kPlay, seconds);
    Measure(manager, screen, "paused", QXPlayMode::kPause, seconds);
    Measure(manager, screen, "ff64", QXPlayMode::kFastForward64, seconds);
    manager.StopStreaming();
    manager.CloseAllDevices();
    if (recordHere)
        std::filesystem::remove(image);
    return 0;
}
