#include "CQXRunFinder.h"
#include "JumpTestSupport.h"

#include <gtest/gtest.h>

namespace {
// A short main stream and an older recording a day before it, planted far beyond its end.
DvrRecorder::Options OlderRunOptions(std::uint64_t diskBytes, std::uint64_t olderRunPacket,
                                     double olderSeconds) {
    DvrRecorder::Options options;
    options.channels = {0};
    options.slices = 17;
    options.quantiser = 1;
    options.keyPeriod = 1; // large pictures: many packets for each second recorded
    options.seconds = 1;
    options.audio = false;
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.start.tm_hour = 12;
    options.diskBytes = diskBytes;
    options.olderRunPacket = olderRunPacket;
    options.olderRunSeconds = olderSeconds;
    return options;
}

QXTimestamp Truth(const std::vector<DvrRecorder::FrameTruth>& frames, bool last) {
    return last ? frames.back().timestamp : frames.front().timestamp;
}
} // namespace

// On a sparse 1 TB disk the samples and the bisection of the run's edges find an older run of
// a little more than the sample spacing exactly, with its first and last recorded time, in
// about one read per sample.
TEST(CQXRunFinder, SamplingFindsAnOlderRunOnATerabyteDiskExactly) {
    RecordedDisk disk(OlderRunOptions(1ull << 40, 123456789, 16));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    ASSERT_GT(disk.result.olderRunLast - disk.result.olderRunFirst, 4096u);
    KWRawDrive handle;
    ASSERT_TRUE(disk.device.OpenDriveHandle(handle));
    CQXRunFinder finder(disk.device, handle);
    const std::vector<CQXRunFinder::Run> runs = finder.Find(false);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, disk.result.olderRunFirst);
    EXPECT_EQ(runs[0].last, disk.result.olderRunLast);
    ASSERT_TRUE(runs[0].timed);
    EXPECT_EQ(runs[0].firstTime, Truth(disk.result.olderFrames, false));
    EXPECT_EQ(runs[0].lastTime.second, Truth(disk.result.olderFrames, true).second);
    EXPECT_LT(finder.GetReads(), CQXRunFinder::kDefaultSamples + 200u);
}

// The full scan reads every packet beyond the stream and finds the same run as the samples; a
// disk with nothing beyond its stream has no run.
TEST(CQXRunFinder, FullScanAgreesWithSamplingAndAnEmptyTailHasNoRun) {
    RecordedDisk disk(OlderRunOptions(64ull << 20, 3000, 2));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    KWRawDrive handle;
    ASSERT_TRUE(disk.device.OpenDriveHandle(handle));
    CQXRunFinder finder(disk.device, handle);
    const auto full = finder.Find(true);
    const auto sampled = finder.Find(false);
    ASSERT_EQ(full.size(), 1u);
    ASSERT_EQ(sampled.size(), 1u);
    EXPECT_EQ(full[0].first, disk.result.olderRunFirst);
    EXPECT_EQ(full[0].last, disk.result.olderRunLast);
    EXPECT_EQ(sampled[0].first, full[0].first);
    EXPECT_EQ(sampled[0].last, full[0].last);

    RecordedDisk plain(OlderRunOptions(64ull << 20, 0, 0));
    ASSERT_TRUE(plain.opened) << plain.result.error;
    KWRawDrive plainHandle;
    ASSERT_TRUE(plain.device.OpenDriveHandle(plainHandle));
    EXPECT_TRUE(CQXRunFinder(plain.device, plainHandle).Find(true).empty());
    EXPECT_TRUE(CQXRunFinder(plain.device, plainHandle).Find(false).empty());
}
