// MYS figures: the recorder's throughput and the frames it refuses when a reader offers frames
// as fast as "ff64" reads them; the player's frames per second in "ff64" (paced as it plays,
// and unpaced); the time the player needs to land on a key record in a 700 MB file after a
// jump and from its last record backwards. The 700 MB file is sparse: record headers are
// written, their data is left as holes.
#include "CKWObject.h"
#include "CQXMysPlayer.h"
#include "CQXMysRecorder.h"
#include "CQXVideoEncoder.h"
#include "CQXVideoFrame.h"
#include "KWTick.h"
#include "QXMysFileHeader.h"
#include "QXMysRecordHeader.h"
#include "QXVideoStartCode.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::uint64_t kBigFileBytes = 700ull * 1048576;
constexpr std::uint32_t kBigRecordLength = 100000;
constexpr std::uint32_t kBigKeyPeriod = 25;
constexpr std::uint32_t kPollMs = 1;

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvmys-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

QXTimestamp TimeOf(std::uint32_t n) {
    return QXTimestamp{6,
                       12,
                       27,
                       static_cast<std::uint8_t>(n / 3600 % 24),
                       static_cast<std::uint8_t>(n / 60 % 60),
                       static_cast<std::uint8_t>(n % 60)};
}

// One encoded key picture of a textured 640x272 composite scene, after its start code.
std::vector<std::uint8_t> EncodeScene(int phase) {
    constexpr int kWidth = 640, kHeight = 272;
    std::vector<std::uint8_t> y(kWidth * kHeight), u(y.size() / 4), v(y.size() / 4);
    for (int j = 0; j < kHeight; ++j)
        for (int i = 0; i < kWidth; ++i)
            y[static_cast<std::size_t>(j * kWidth + i)] = static_cast<std::uint8_t>(
                128 + 60 * std::sin((i + phase) / 9.0) * std::cos(j / 7.0) + (i * j) % 17);
    for (std::size_t k = 0; k < u.size(); ++k) {
        u[k] = static_cast<std::uint8_t>(100 + k % 50);
        v[k] = static_cast<std::uint8_t>(150 - k % 40);
    }
    CQXVideoEncoder encoder;
    CQXVideoEncoder::Options options;
    options.channel = 4;
    std::vector<std::uint8_t> body;
    encoder.Encode({y.data(), u.data(), v.data(), kWidth, kHeight}, true, options, body);
    return body;
}

// A complete frame as the device reader leaves it.
void Fill(CQXVideoFrame& frame, const std::vector<std::uint8_t>& body, const QXTimestamp& time) {
    frame.Reset();
    std::vector<std::uint8_t> stream(std::begin(QXVideoStartCode::kBytes),
                                     std::end(QXVideoStartCode::kBytes));
    stream.insert(stream.end(), body.begin(), body.end());
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    const std::uint8_t* pointer = stream.data();
    auto length = static_cast<std::uint16_t>(stream.size());
    while (length > 0 && !frame.IsComplete())
        frame.Feed(pointer, length, time, 0x10);
}

// Recorder fed by a reader that offers each frame once, as fast as it can (an "ff64" read of
// a stream cached in memory): the writer takes one record per millisecond tick, the rest is
// refused.
void BM_RecorderOffersFramesOnce(benchmark::State& state) {
    const std::vector<std::uint8_t> body = EncodeScene(0);
    CQXVideoFrame frame;
    const auto offered = static_cast<std::uint32_t>(state.range(0));
    // The reader's own pace: microseconds between frames (0: none).
    const auto gapUs = state.range(1);
    double taken = 0, refused = 0, bytes = 0, seconds = 0;
    for (auto _ : state) {
        TempDir dir;
        CQXMysRecorder recorder;
        if (!recorder.Open(dir.path.string(), 0)) {
            state.SkipWithError("the recorder could not open its directory");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        for (std::uint32_t n = 0; n < offered; ++n) {
            Fill(frame, body, TimeOf(n / 25));
            if (recorder.WriteVideo(frame)) {
                ++taken;
                bytes += frame.GetLength() + QXMysRecordHeader::kSize;
            } else {
                ++refused;
            }
            if (gapUs)
                std::this_thread::sleep_until(start + std::chrono::microseconds(gapUs * (n + 1)));
        }
        recorder.Close();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["frame_bytes"] = frame.GetLength();
    state.counters["taken"] = taken / static_cast<double>(state.iterations());
    state.counters["refused_pct"] = 100 * refused / (taken + refused);
    state.counters["MB_per_s"] = bytes / 1048576 / seconds;
}
BENCHMARK(BM_RecorderOffersFramesOnce)
    ->Args({2000, 0})
    ->Args({2000, 200})
    ->Args({1000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// The recorder's own limit: every frame is offered again until it is taken.
void BM_RecorderWriteWhenFree(benchmark::State& state) {
    const std::vector<std::uint8_t> body = EncodeScene(0);
    CQXVideoFrame frame;
    double bytes = 0, seconds = 0;
    for (auto _ : state) {
        TempDir dir;
        CQXMysRecorder recorder;
        if (!recorder.Open(dir.path.string(), 0)) {
            state.SkipWithError("the recorder could not open its directory");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        for (std::uint32_t n = 0; n < 2000; ++n) {
            Fill(frame, body, TimeOf(n / 25));
            while (!recorder.WriteVideo(frame))
                std::this_thread::yield();
            bytes += frame.GetLength() + QXMysRecordHeader::kSize;
        }
        recorder.Close();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["MB_per_s"] = bytes / 1048576 / seconds;
    state.counters["records_per_s"] = 2000.0 * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_RecorderWriteWhenFree)->Unit(benchmark::kMillisecond)->Iterations(2);

// A MYS file of real composite frames, 40 ms apart, a key frame every `keyPeriod`.
std::string WriteFramesFile(const std::filesystem::path& dir, std::uint32_t records,
                            std::uint32_t keyPeriod) {
    const std::string path = (dir / "frames.mys").string();
    const std::vector<std::uint8_t> body = EncodeScene(3);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::uint8_t> out(QXMysFileHeader::kSize);
    std::uint32_t previous = 0;
    const auto length = static_cast<std::uint32_t>(body.size() + QXVideoStartCode::kLength);
    for (std::uint32_t n = 0; n < records; ++n) {
        QXMysRecordHeader h;
        h.magic = QXMysRecordHeader::kVideoMagic;
        h.sequence = n;
        h.timeDifference = n ? 40 : 0;
        h.previousLength = previous;
        h.length = length;
        h.timestamp = TimeOf(n / 25);
        h.channels = 0x10;
        h.keyFlag = n % keyPeriod == 0;
        std::uint8_t bytes[QXMysRecordHeader::kSize];
        h.ToBytes(bytes);
        out.insert(out.end(), bytes, bytes + sizeof bytes);
        out.insert(out.end(), std::begin(QXVideoStartCode::kBytes),
                   std::end(QXVideoStartCode::kBytes));
        out.insert(out.end(), body.begin(), body.end());
        previous = length;
    }
    QXMysFileHeader header;
    header.fileSize = static_cast<std::uint32_t>(out.size());
    header.recordCount = records;
    header.ToBytes(out.data());
    (void)!write(file, out.data(), out.size());
    close(file);
    return path;
}

// Counts the frames shown and gives each back at once, as the screen does after drawing.
class FrameCounter : public CKWObject {
public:
    KWResult OnListenerSend(std::uint32_t message, KWWParam, KWLParam lParam) override {
        if (message == CQXMysPlayer::kMessageVideo) {
            reinterpret_cast<CQXVideoFrame*>(lParam)->Reset();
            ++frames;
        }
        return 0;
    }
    std::atomic<long> frames{0};
};

void BM_PlayerFastForward64(benchmark::State& state) {
    TempDir dir;
    const std::string path = WriteFramesFile(dir.path, 20000, 30);
    const bool paced = state.range(0) != 0;
    double shown = 0, seconds = 0, records = 0;
    for (auto _ : state) {
        CQXMysPlayer player;
        player.SetPacing(paced);
        FrameCounter counter;
        player.AddListenerObject(&counter);
        if (!player.Open(path)) {
            state.SkipWithError("the player could not open the file");
            break;
        }
        while (counter.frames == 0)
            KWSleep(kPollMs);
        player.SetPlayMode(QXPlayMode::kFastForward64, QXPlayMode::kNoTarget);
        while (player.GetPlayMode() != QXPlayMode::kFastForward64)
            KWSleep(kPollMs);
        const long before = counter.frames;
        const auto start = std::chrono::steady_clock::now();
        while (player.GetPlayMode() == QXPlayMode::kFastForward64 &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
            KWSleep(kPollMs);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        shown += static_cast<double>(counter.frames - before);
        records += 20000;
        player.Close();
    }
    state.counters["frames_per_s"] = shown / seconds;
}
BENCHMARK(BM_PlayerFastForward64)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("paced")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A sparse 700 MB file of 100000-byte video records with a key record every 25.
struct BigFile {
    TempDir dir;
    std::string path;
    std::vector<std::uint64_t> offsets;
    BigFile() {
        path = (dir.path / "big.mys").string();
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::uint64_t at = QXMysFileHeader::kSize;
        std::uint32_t previous = 0;
        for (std::uint32_t n = 0; at + QXMysRecordHeader::kSize + kBigRecordLength <= kBigFileBytes;
             ++n) {
            QXMysRecordHeader h;
            h.magic = QXMysRecordHeader::kVideoMagic;
            h.sequence = n;
            h.timeDifference = n ? 40 : 0;
            h.previousLength = previous;
            h.length = kBigRecordLength;
            h.timestamp = TimeOf(n / 25);
            h.channels = 0x10;
            h.keyFlag = n % kBigKeyPeriod == 0;
            std::uint8_t bytes[QXMysRecordHeader::kSize];
            h.ToBytes(bytes);
            (void)!pwrite(file, bytes, sizeof bytes, static_cast<off_t>(at));
            offsets.push_back(at);
            at += QXMysRecordHeader::kSize + kBigRecordLength;
            previous = kBigRecordLength;
        }
        QXMysFileHeader header;
        header.fileSize = static_cast<std::uint32_t>(at);
        header.recordCount = static_cast<std::uint32_t>(offsets.size());
        std::uint8_t bytes[QXMysFileHeader::kSize];
        header.ToBytes(bytes);
        (void)!pwrite(file, bytes, sizeof bytes, 0);
        (void)!ftruncate(file, static_cast<off_t>(at));
        close(file);
    }
};

const BigFile& TheBigFile() {
    static const BigFile big;
    return big;
}

class LandingPlayer : public CQXMysPlayer {
public:
    LandingPlayer() { SetPacing(false); }
    using CQXMysPlayer::OpenFile;
    using CQXMysPlayer::ReadRecord;
    // A jump is a change to "onef", so the mode goes through "pause" first.
    void Jump(std::uint32_t offset) {
        const Command pause{QXPlayMode::kPause, 0, 0};
        OnCommand(&pause);
        const Command command{QXPlayMode::kOneForward, offset, 0};
        OnCommand(&command);
    }
    void Release() {
        for (std::uint32_t i = 0; i < kFrames; ++i)
            GetFrame(i).Reset();
    }
    using CQXMysPlayer::GetFrame;
};

// "onef" to an offset inside a record of the 700 MB file: the header found there is not a
// record, so the player searches the next megabyte for a key record and loads it.
void BM_LandOnKeyRecordAfterAJump(benchmark::State& state) {
    const BigFile& big = TheBigFile();
    LandingPlayer player;
    player.OpenFile(big.path);
    std::uint32_t n = 0;
    for (auto _ : state) {
        const std::uint64_t target = big.offsets[(n++ * 997 + 13) % big.offsets.size()] + 5000;
        player.Jump(static_cast<std::uint32_t>(target));
        benchmark::DoNotOptimize(player.ReadRecord(0));
        player.Release();
    }
    state.counters["file_MB"] = static_cast<double>(kBigFileBytes) / 1048576;
}
BENCHMARK(BM_LandOnKeyRecordAfterAJump)->Unit(benchmark::kMillisecond);

// "rew64" from the last record of the 700 MB file: back 64 records by their links, then to
// the key record before them.
void BM_LandOnKeyRecordBackwardFromTheEnd(benchmark::State& state) {
    const BigFile& big = TheBigFile();
    LandingPlayer player;
    player.OpenFile(big.path);
    for (auto _ : state) {
        player.Jump(static_cast<std::uint32_t>(big.offsets.back()));
        benchmark::DoNotOptimize(player.ReadRecord(-65));
        player.Release();
    }
}
BENCHMARK(BM_LandOnKeyRecordBackwardFromTheEnd)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
