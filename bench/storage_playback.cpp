// Frames per second the device reader shows in "ff64" (no pacing, no skipping): a synthetic disk
// read from its image file, frames assembled and handed to the screen manager, which decodes,
// converts, captions and composes them into a 608x450 view. Four channels at 320x112 and the
// 640x272 composite picture.
#include "CQXOffscreenView.h"
#include "CQXStorageDeviceManager.h"
#include "DvrRecorder.h"

#include <benchmark/benchmark.h>

#include "KWQtTextPainter.h"

#include <QGuiApplication>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {
constexpr int kViewWidth = 608;
constexpr int kViewHeight = 450;
constexpr double kSeconds = 20;

// Hears the manager's mode changes (sent on its worker thread).
class ModeWatcher : public CKWObject {
public:
    KWResult OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam) override {
        if (message == CQXStorageDeviceManager::kMessageModeChanged) {
            std::lock_guard lock(m_mutex);
            ++m_changes[static_cast<std::uint32_t>(wParam) - QXPlayMode::kNone];
            m_changed.notify_all();
        }
        return 0;
    }
    // Waits until the mode has become `mode` `count` times in all.
    bool WaitFor(std::uint32_t mode, int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(120),
                                  [&] { return m_changes[mode - QXPlayMode::kNone] >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_changes[QXPlayMode::kCount] = {};
};

void Run(benchmark::State& state, bool composite) {
    const std::filesystem::path image =
        std::filesystem::temp_directory_path() /
        (composite ? "bench_playback_composite.img" : "bench_playback_quad.img");
    DvrRecorder::Options options;
    options.output = image.string();
    options.channels = composite ? std::vector<int>{4} : std::vector<int>{0, 1, 2, 3};
    options.slices = composite ? 17 : 7;
    options.seconds = kSeconds;
    options.audio = false;
    options.start.tm_year = 126;
    options.start.tm_mday = 1;
    const DvrRecorder::Result disk = DvrRecorder(options).Record();
    if (!disk.ok) {
        state.SkipWithError(disk.error.c_str());
        return;
    }
    CQXOffscreenView view(kViewWidth, kViewHeight);
    ModeWatcher watcher;
    CQXStorageDeviceManager manager({image.string()});
    manager.AddListenerObject(&watcher);
    if (!view.Open() || !manager.OpenAllDevices(&view.GetScreenManager(), nullptr, nullptr)) {
        state.SkipWithError("viewer engines not created");
        return;
    }
    while (manager.IsAnyDeviceBusy())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    manager.StartStreaming(0);
    manager.PostCommand(QXPlayMode::kPause, QXPlayMode::kNoTarget, 0);
    watcher.WaitFor(QXPlayMode::kPause, 1);

    std::uint64_t frames = 0;
    int passes = 0;
    for (auto _ : state) {
        // From packet 0: one cycle, then the whole disk in ff64 until the end turns it back.
        ++passes;
        manager.SetPlayMode(QXPlayMode::kOneForward, 0);
        watcher.WaitFor(QXPlayMode::kPause, 2 * passes);
        const std::uint32_t before = view.GetScreenManager().GetFramesTaken();
        const auto start = std::chrono::steady_clock::now();
        manager.SetPlayMode(QXPlayMode::kFastForward64, QXPlayMode::kNoTarget);
        watcher.WaitFor(QXPlayMode::kOneReverse, passes);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        frames += view.GetScreenManager().GetFramesTaken() - before;
        watcher.WaitFor(QXPlayMode::kPause, 2 * passes + 1);
    }
    manager.StopStreaming();
    manager.RemoveListenerObject(&watcher);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["frames_per_pass"] = static_cast<double>(frames) / passes;
    std::filesystem::remove(image);
}

void BM_Forward64FourChannels320x112(benchmark::State& state) {
    Run(state, false);
}
BENCHMARK(BM_Forward64FourChannels320x112)->UseManualTime()->MeasureProcessCPUTime()->MinTime(3);

void BM_Forward64Composite640x272(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_Forward64Composite640x272)->UseManualTime()->MeasureProcessCPUTime()->MinTime(3);
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    KWInstallQtTextPainter();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
