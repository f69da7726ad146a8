// Camscout figures: how many replies per second the receiver thread takes from a loopback
// flood without losing any, and what merging a 1000-camera answer costs the finder.
#include "CCamFinder.h"
#include "CCamReceiver.h"
#include "CFinderDlg.h"
#include "CamMessages.h"
#include "KWTick.h"

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {
constexpr const char* kLoopback = "127.0.0.1";
// A flood counts as over when nothing more arrived for this long.
constexpr std::uint32_t kQuietMs = 300;

// Counts the records the receiver posts and frees them, on the receiver's own thread.
class CountingTarget : public KWMessageTarget {
public:
    CountingTarget() : KWMessageTarget(Delivery::Inline) {}
    std::atomic<std::uint64_t> count{0};
    std::atomic<std::uint32_t> lastTick{0};

protected:
    KWResult OnMessage(std::uint32_t, KWWParam wParam, KWLParam) override {
        delete reinterpret_cast<CameraRecord*>(wParam);
        lastTick = KWGetTickCount();
        ++count;
        return 0;
    }
};

std::uint16_t FreePort() {
    CKWUdpSocket probe;
    probe.Open();
    probe.Bind(kLoopback, 0);
    return probe.LocalPort();
}

CamEndpoints LoopbackEndpoints() {
    CamEndpoints endpoints;
    endpoints.broadcastAddress = kLoopback;
    endpoints.listenAddress = kLoopback;
    endpoints.commandPort = FreePort();
    endpoints.replyPort = FreePort();
    return endpoints;
}

std::string ReplyText(std::uint64_t i) {
    return "KESTRAREPLY,0,00-11-22-33-" + std::to_string(i % 100) + "-55,10.0.0." +
           std::to_string(i % 250) + ":80,255.255.255.0,10.0.0.1,camera" + std::to_string(i);
}

// Sends `total` replies at `rate` per second (0: as fast as possible) to a fresh receiver and
// reports how many arrived and the rate at which the receiver took them.
void RunFlood(benchmark::State& state, std::uint64_t total, std::uint64_t rate) {
    for (auto _ : state) {
        CountingTarget target;
        CCamReceiver receiver;
        const std::uint16_t port = FreePort();
        receiver.Start(&target, kLoopback, port);
        CKWUdpSocket sender;
        sender.Open();
        const std::uint32_t startTick = KWGetTickCount();
        const auto start = std::chrono::steady_clock::now();
        for (std::uint64_t i = 0; i < total; ++i) {
            if (rate != 0)
                std::this_thread::sleep_until(start +
                                              std::chrono::microseconds(i * 1000000 / rate));
            sender.SendTo(ReplyText(i), kLoopback, port);
        }
        if (target.count == 0)
            target.lastTick = KWGetTickCount(); // the quiet time counts from the last send
        while (target.count < total &&
               KWTicksSince(target.lastTick.load(), KWGetTickCount()) < kQuietMs)
            KWSleep(5);
        // From the first send to the last reply taken, without the quiet time at the end.
        const double seconds =
            std::max<std::uint32_t>(1, KWTicksSince(startTick, target.lastTick.load())) / 1000.0;
        receiver.Stop();
        state.SetIterationTime(seconds);
        state.counters["sent"] = static_cast<double>(total);
        state.counters["received"] = static_cast<double>(target.count.load());
        state.counters["lost"] = static_cast<double>(total - target.count.load());
        state.counters["received_per_s"] = static_cast<double>(target.count.load()) / seconds;
    }
}

void BM_ReceiverBurst(benchmark::State& state) {
    RunFlood(state, static_cast<std::uint64_t>(state.range(0)), 0);
}
BENCHMARK(BM_ReceiverBurst)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Arg(2000)
    ->Iterations(1)
    ->UseManualTime();

void BM_ReceiverPaced(benchmark::State& state) {
    RunFlood(state, 2000, static_cast<std::uint64_t>(state.range(0)));
}
BENCHMARK(BM_ReceiverPaced)
    ->Arg(500)
    ->Arg(800)
    ->Arg(900)
    ->Arg(1000)
    ->Arg(2000)
    ->Iterations(1)
    ->UseManualTime();

class NullView : public CCamFinderView {
public:
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    void KillTimer(std::uint32_t) override {}
    void Quit(int) override {}
};

CameraRecord Camera(int i) {
    CameraRecord record;
    CameraRecord::SetText(record.mac,
                          "00-11-22-33-" + std::to_string(i / 256) + "-" + std::to_string(i % 256));
    CameraRecord::SetText(record.address, "10.0." + std::to_string(i / 250) + "." +
                                              std::to_string(i % 250) + ":80");
    CameraRecord::SetText(record.name, "camera" + std::to_string(i));
    return record;
}

// One search's answers for `cameras` cameras arriving twice (both queries), as the receiver
// hands them over: a heap record per reply.
void MergeSearch(CCamFinder& finder, int cameras) {
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < cameras; ++i)
            finder.Send(CamMessages::WM_CAM_FOUND,
                        reinterpret_cast<KWWParam>(new CameraRecord(Camera(i))), 0);
}

void BM_MergeEngine(benchmark::State& state) {
    const int cameras = static_cast<int>(state.range(0));
    NullView view;
    CCamFinder finder(view, LoopbackEndpoints());
    for (auto _ : state) {
        finder.StartSearch(); // empties the list; its query goes nowhere (socket not open)
        MergeSearch(finder, cameras);
        benchmark::DoNotOptimize(finder.Cameras().data());
    }
    state.counters["replies_per_s"] =
        benchmark::Counter(2.0 * cameras, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MergeEngine)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_MergeWindow(benchmark::State& state) {
    const int cameras = static_cast<int>(state.range(0));
    CFinderDlg window(LoopbackEndpoints());
    for (auto _ : state) {
        window.Finder().StartSearch();
        MergeSearch(window.Finder(), cameras);
    }
    state.counters["replies_per_s"] =
        benchmark::Counter(2.0 * cameras, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MergeWindow)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
