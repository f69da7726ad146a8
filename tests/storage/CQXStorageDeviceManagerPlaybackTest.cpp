#include "CKWWaveManager.h"
#include "CQXScreenManager4.h"
#include "KWDisplayWindow.h"
#include "KWMemoryWaveOutput.h"
#include "KWRecordingTarget.h"
#include "KWScopedWavOutput.h"
#include "KWWavReader.h"
#include "PlaybackTestSupport.h"
#include "QXCompanding.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {
using namespace QXPlayMode;

class CQXStorageDeviceManagerPlaybackTest : public ::testing::Test {
protected:
    // Records the disk and opens it as the machine's only drive.
    void Open(const DvrRecorder::Options& options, CQXScreenManager4* screen = nullptr,
              CKWWaveManager* wave = nullptr) {
        m_truth = DvrRecorder(options).Record();
        ASSERT_TRUE(m_truth.ok) << m_truth.error;
        m_manager = std::make_unique<RecordingManager>(KWDriveList{options.output});
        ASSERT_EQ(m_manager->AddListenerWindow(&m_target), 1);
        ASSERT_TRUE(m_manager->OpenAllDevices(screen, wave, nullptr));
        ASSERT_TRUE(WaitFor([this] { return !m_manager->IsAnyDeviceBusy(); }));
        ASSERT_EQ(m_manager->GetFormattedCount(), 1);
    }

    // Starts playing, then asks at once for `mode`. The reader may still read a frame or a sound
    // packet in "play" before it takes the change.
    void StartIn(std::uint32_t mode) {
        ASSERT_EQ(m_manager->StartStreaming(0), 1);
        if (mode != kPlay)
            m_manager->PostCommand(mode, kNoTarget, 0);
    }

    // Starts paused. The reader may show a frame or two in "play" before it takes the pause;
    // those are forgotten, so that the frames recorded are the ones shown after the pause.
    void StartPaused() {
        StartIn(kPause);
        ASSERT_TRUE(WaitForModeChanges({kPlay, kPause}));
        m_manager->ForgetFrames();
    }

    std::vector<std::uint32_t> ModeChanges() const {
        std::vector<std::uint32_t> modes;
        for (const auto& m : m_target.Received()) {
            if (m.message == CQXStorageDeviceManager::kMessageModeChanged)
                modes.push_back(static_cast<std::uint32_t>(m.wParam));
        }
        return modes;
    }
    ::testing::AssertionResult WaitForModeChanges(const std::vector<std::uint32_t>& expected) {
        WaitFor([&] { return ModeChanges().size() >= expected.size(); });
        const auto modes = ModeChanges();
        if (modes == expected)
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "modes:";
        for (std::uint32_t mode : modes)
            failure << " " << Name(mode);
        return failure;
    }

    // Truth indices of the frames shown, for disks on which every packet completes at most
    // one frame (frames padded to packets).
    std::vector<std::size_t> ShownIndices() const {
        std::map<std::uint32_t, std::size_t> byPacket;
        for (std::size_t i = 0; i < m_truth.frames.size(); ++i)
            byPacket[static_cast<std::uint32_t>(m_truth.frames[i].packet)] = i;
        std::vector<std::size_t> indices;
        for (const auto& shown : m_manager->Frames()) {
            const auto found = byPacket.find(shown.packet);
            indices.push_back(found == byPacket.end() ? SIZE_MAX : found->second);
        }
        return indices;
    }
    // The packet at which frame `index` begins on a padded disk: where the one before ends.
    std::uint32_t StartPacket(std::size_t index) const {
        return static_cast<std::uint32_t>(m_truth.frames[index - 1].packet);
    }

    // The first `count` frames shown match the recording's frames in disk order.
    void ExpectAllFramesInOrder(const std::vector<RecordingManager::Shown>& shown) {
        ASSERT_GE(shown.size(), m_truth.frames.size());
        for (std::size_t i = 0; i < m_truth.frames.size(); ++i) {
            EXPECT_EQ(shown[i].packet, m_truth.frames[i].packet) << i;
            EXPECT_EQ(shown[i].channel, m_truth.frames[i].channel) << i;
        }
    }

    // Plays a paced disk in `mode` and checks the time its frames took.
    void ExpectPacing(int slices, int intervalCode, std::uint32_t mode, std::uint32_t frameMs) {
        constexpr std::size_t kFrames = 14;
        const double recordedMs = (intervalCode + 1) * (slices == 17 ? 25 : 33);
        Open(DiskOptions(m_dir, slices, intervalCode, (kFrames + 6) * recordedMs / 1000));
        StartIn(mode);
        ASSERT_TRUE(WaitFor([this] { return m_manager->FrameCount() >= kFrames; }));
        const auto shown = m_manager->Frames();
        const std::uint32_t elapsed = shown[kFrames - 1].tick - shown[0].tick;
        // Every wait ends no earlier than the interval after the previous frame was read; the
        // first frame may be handed out late, so one interval is left out of the bound.
        EXPECT_GE(elapsed, (kFrames - 2) * frameMs);
        EXPECT_LE(elapsed, (kFrames - 1) * frameMs * 3 + 5000);
        for (std::size_t i = 0; i < kFrames; ++i)
            EXPECT_EQ(shown[i].slices, slices);
    }

    KWTempDir m_dir;
    KWRecordingTarget m_target;
    KWDisplayWindow m_window{608, 450};
    std::atomic<std::uint8_t> m_request{0};
    CQXScreenManager4 m_screen;
    CKWWaveManager m_wave;
    DvrRecorder::Result m_truth;
    std::unique_ptr<RecordingManager> m_manager;
};

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       PlayShowsEveryFrameUnpacedForSevenSlicesThenStepsBackFromTheEnd) {
    // An interval code of 255 would pace 14-slice frames at 8.4 s each.
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 255, 41.5 * 8.448);
    options.padFrames = true;
    Open(options);
    const std::size_t n = m_truth.frames.size();
    ASSERT_EQ(n, 42u);
    EXPECT_EQ(m_manager->GetPlayMode(), kNone);
    EXPECT_EQ(m_manager->GetSelected(), CQXStorageDeviceManager::kNoSelection);
    EXPECT_EQ(m_manager->StartStreaming(1), 0); // there is one formatted device
    ASSERT_EQ(m_manager->StartStreaming(0), 1);
    EXPECT_EQ(m_manager->StartStreaming(0), 0); // already playing
    EXPECT_EQ(m_manager->GetSelected(), 0);
    EXPECT_EQ(m_manager->GetCurrentDeviceIndex(), 0);

    // The end reached, the reader steps back to the end of the channel cycle, then pauses.
    ASSERT_TRUE(WaitForModeChanges({kPlay, kOneReverse, kPause}));
    EXPECT_STREQ(m_manager->GetPlayModeName(), "pause");
    EXPECT_TRUE(m_manager->IsPlayModeSet());
    const auto shown = m_manager->Frames();
    ExpectAllFramesInOrder(shown);
    EXPECT_LT(shown[n - 1].tick - shown[0].tick, 20000u);
    const auto indices = ShownIndices();
    EXPECT_EQ(
        std::vector<std::size_t>(indices.begin() + static_cast<std::ptrdiff_t>(n), indices.end()),
        (std::vector<std::size_t>{n - 2, n - 3}));

    EXPECT_EQ(CountOf(m_target, CQXStorageDeviceManager::kMessageDeviceOpened), 1u);
    EXPECT_GE(CountOf(m_target, CQXStorageDeviceManager::kMessageDevicePosition), shown.size());
    EXPECT_EQ(m_manager->GetVideoStandard(), CQXStorageDeviceManager::kStandardNtsc);

    m_manager->StopStreaming();
    EXPECT_EQ(m_manager->GetPlayMode(), kNone);
    EXPECT_FALSE(m_manager->IsPlayModeSet());
    EXPECT_EQ(m_manager->GetSelected(), CQXStorageDeviceManager::kNoSelection);
    EXPECT_EQ(m_manager->GetCurrentDeviceIndex(), CQXStorageDeviceManager::kNoSelection);
    EXPECT_FALSE(m_manager->IsRunning());
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       PlayPacesFourteenSliceFramesAtTheirIntervalOf33MsUnits) {
    ExpectPacing(14, 2, kPlay, 3 * 33);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       PlayPacesSeventeenSliceFramesAtTheirIntervalOf25MsUnits) {
    ExpectPacing(17, 3, kPlay, 4 * 25);
    EXPECT_EQ(m_manager->GetVideoStandard(), CQXStorageDeviceManager::kStandardPal);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, Forward2PacesAtHalfTheInterval) {
    ExpectPacing(14, 5, kFastForward2, 6 * 33 / 2);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       FirstFrameAfterTheStartIsNotDelayedAndGivesTheStandard) {
    constexpr std::uint32_t kFrameMs = 81 * 25;
    Open(DiskOptions(m_dir, 17, 80, 3 * kFrameMs / 1000.0));
    EXPECT_EQ(m_manager->GetVideoStandard(), CQXStorageDeviceManager::kStandardNtsc);
    const std::uint32_t start = KWGetTickCount();
    ASSERT_EQ(m_manager->StartStreaming(0), 1);
    ASSERT_TRUE(WaitFor([this] { return m_manager->FrameCount() >= 1; }));
    EXPECT_LT(KWTicksSince(start, m_manager->Frames()[0].tick), kFrameMs - 100);
    EXPECT_EQ(m_manager->GetVideoStandard(), CQXStorageDeviceManager::kStandardPal);
    ASSERT_TRUE(WaitFor([this] { return m_manager->FrameCount() >= 2; }));
    EXPECT_GE(KWTicksSince(start, m_manager->Frames()[1].tick), kFrameMs);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, Forward64ShowsEveryFrameWithoutWaitingAndPlaysNoSound) {
    constexpr std::uint32_t kFrameMs = 31 * 33; // paced, 20 frames would take 20 s
    DvrRecorder::Options options = DiskOptions(m_dir, 14, 30, 20.5 * kFrameMs / 1000.0);
    options.audio = true;
    options.padFrames = true;
    Open(options);
    StartIn(kFastForward64);
    // With sound recorded between the frames the backward step after the end may run back to
    // the start (its reads meet sound before a frame); only the forward run counts here.
    ASSERT_TRUE(WaitFor([this] {
        const auto modes = ModeChanges();
        return std::find(modes.begin(), modes.end(), kOneReverse) != modes.end();
    }));
    const auto shown = m_manager->Frames();
    ExpectAllFramesInOrder(shown);
    const std::size_t n = m_truth.frames.size();
    ASSERT_EQ(n, 21u);
    EXPECT_LT(shown[n - 1].tick - shown[0].tick, (n - 1) * kFrameMs / 2);

    // Sound is played only in "play" (the reader may take a packet in the opening "play" before
    // it takes the change); every audio packet read otherwise is announced.
    EXPECT_EQ(m_manager->AudioOffersOutsidePlay(), 0u);
    const std::size_t audioPackets = m_truth.sound.size() / DvrRecorder::kSamplesPerPacket;
    ASSERT_GT(audioPackets, 10u);
    EXPECT_GE(CountOf(m_target, CQXStorageDeviceManager::kMessageAudioSkipped) +
                  m_manager->AudioOffers(),
              audioPackets);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, Rewind64ShowsEverySixtyFourthCycleAndStopsAtPacket0) {
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 820 * 0.033);
    options.padFrames = true;
    Open(options);
    ASSERT_GT(m_truth.frames.size(), 800u);
    StartPaused();

    m_manager->SetPlayMode(kOneForward, StartPacket(790));
    ASSERT_TRUE(WaitForModeChanges({kPlay, kPause, kOneForward, kPause}));
    EXPECT_EQ(ShownIndices(), (std::vector<std::size_t>{790, 791, 792, 793}));

    m_manager->SetPlayMode(kRewind64, kNoTarget);
    ASSERT_TRUE(
        WaitForModeChanges({kPlay, kPause, kOneForward, kPause, kRewind64, kOneForward, kPause}));
    // Each cycle shown, latest frame first, lies 64 cycles of four frames before the one shown
    // last; packet 0 turns the mode into one cycle from the start.
    EXPECT_EQ(ShownIndices(),
              (std::vector<std::size_t>{790, 791, 792, 793, 537, 536, 535, 534, 281, 280,
                                        279, 278, 25,  24,  23,  22,  0,   1,   2,   3}));
    EXPECT_EQ(m_manager->GetPosition(0), StartPacket(4) + 1);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, PlayAskedRightAfterAJumpIsNotLostWhileTheJumpWaits) {
    // A jump and then play, both asked before the worker has taken the jump.
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 40 * 0.033);
    options.padFrames = true;
    Open(options);
    StartIn(kPlay);
    ASSERT_TRUE(WaitForModeChanges({kPlay}));
    m_manager->SetPlayMode(kOneForward, StartPacket(9));
    m_manager->SetPlayMode(kPlay, kNoTarget);
    std::vector<std::uint32_t> modes;
    WaitFor([&] {
        modes = ModeChanges();
        return modes.size() >= 3 && modes.back() == kPlay;
    });
    ASSERT_GE(modes.size(), 3u);
    EXPECT_EQ(modes[1], kOneForward);
    EXPECT_EQ(modes.back(), kPlay);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, ReverseReachingPacket0ShowsTheFirstCycleThenPauses) {
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 40 * 0.033);
    options.padFrames = true;
    Open(options);
    StartPaused();
    m_manager->SetPlayMode(kOneForward, StartPacket(9));
    ASSERT_TRUE(WaitForModeChanges({kPlay, kPause, kOneForward, kPause}));
    m_manager->SetPlayMode(kReverse, kNoTarget);
    ASSERT_TRUE(
        WaitForModeChanges({kPlay, kPause, kOneForward, kPause, kReverse, kOneForward, kPause}));
    // Every frame before the cycle on screen, latest first, down to the first; then the first
    // cycle again from packet 0.
    EXPECT_EQ(ShownIndices(),
              (std::vector<std::size_t>{9, 10, 11, 12, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 1, 2, 3}));
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       ReverseAmongSoundAndSmallFramesShowsEveryFrameBackToTheStart) {
    // Several frames to a packet and sound packets between them; 7-slice frames are not paced.
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 3);
    options.audio = true;
    options.motion = true;
    Open(options);
    const std::size_t n = m_truth.frames.size();
    StartIn(kPlay);
    ASSERT_TRUE(WaitForModeChanges({kPlay, kOneReverse, kPause}));
    const std::size_t forward = m_manager->FrameCount();
    m_manager->SetPlayMode(kReverse, kNoTarget);
    ASSERT_TRUE(WaitForModeChanges({kPlay, kOneReverse, kPause, kReverse, kOneForward, kPause}));
    const auto shown = m_manager->Frames();
    ASSERT_GE(shown.size(), forward + 4);
    // Every frame before the last one "oner" showed, in reverse order, then the first cycle.
    std::vector<std::pair<std::uint32_t, int>> expected, actual;
    for (std::size_t i = 0; i < shown.size() - forward; ++i)
        actual.emplace_back(shown[forward + i].packet, shown[forward + i].channel);
    const std::size_t reversed = actual.size() - 4;
    ASSERT_LT(reversed, n);
    for (std::size_t i = reversed; i-- > 0;)
        expected.emplace_back(m_truth.frames[i].packet, m_truth.frames[i].channel);
    for (std::size_t i = 0; i < 4; ++i)
        expected.emplace_back(m_truth.frames[i].packet, m_truth.frames[i].channel);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(shown[forward - 1].packet, m_truth.frames[reversed].packet);
    EXPECT_GE(CountOf(m_target, CQXStorageDeviceManager::kMessageAudioSkipped), 1u);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       OneForwardWhileAlreadyOneForwardNeitherJumpsNorAnnounces) {
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 200 * 0.033);
    options.padFrames = true;
    Open(options);
    StartPaused();

    // The consumer holds both frames: the single step stays in "onef".
    m_manager->SetHolding(true);
    m_manager->SetPlayMode(kOneForward, StartPacket(100));
    ASSERT_TRUE(WaitFor([this] { return m_manager->HeldCount() == 2; }));
    ASSERT_EQ(m_manager->GetPlayMode(), kOneForward);
    m_manager->SetPlayMode(kOneForward, StartPacket(10));
    EXPECT_EQ(m_manager->GetQueuedCommandCount(), 0u);

    m_manager->SetHolding(false);
    m_manager->ReleaseHeld();
    ASSERT_TRUE(WaitForModeChanges({kPlay, kPause, kOneForward, kPause}));
    EXPECT_EQ(ShownIndices(), (std::vector<std::size_t>{100, 101, 102, 103}));
}

TEST_F(CQXStorageDeviceManagerPlaybackTest,
       OneFrameForwardShowsAWholeCycleAlsoWhenSoundIsReadFirst) {
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 4);
    options.padFrames = true;
    options.audio = true;
    Open(options);
    CQX4KPacket packet;
    std::uint32_t audio = 1;
    for (; audio < m_truth.streamLength / 2; ++audio) {
        ASSERT_EQ(m_manager->GetDevice(0)->ReadPacket(audio, packet), 1);
        if (packet.GetType() == CQX4KPacket::kTypeAudio)
            break;
    }
    ASSERT_LT(audio, m_truth.streamLength / 2);
    StartPaused();

    m_manager->SetPlayMode(kOneForward, audio);
    ASSERT_TRUE(WaitForModeChanges({kPlay, kPause, kOneForward, kPause}));
    EXPECT_GE(CountOf(m_target, CQXStorageDeviceManager::kMessageAudioSkipped), 1u);
    const auto indices = ShownIndices();
    ASSERT_EQ(indices.size(), 4u);
    for (std::size_t i = 1; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], indices[0] + i);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, StopEndsWhileTheReaderWaitsForAHeldFrame) {
    Open(DiskOptions(m_dir, 7, 0, 2));
    m_manager->SetHolding(true);
    ASSERT_EQ(m_manager->StartStreaming(0), 1);
    ASSERT_TRUE(WaitFor([this] { return m_manager->HeldCount() == 2; }));
    m_manager->StopStreaming();
    EXPECT_FALSE(m_manager->IsRunning());
    EXPECT_EQ(m_manager->FrameCount(), 2u);
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, StopEndsWhileTheSoundOutputTakesNothing) {
    KWMemoryWaveOutput output; // consumes only when asked: never here
    ASSERT_EQ(m_wave.Open(8000, 16), 1);
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 4);
    options.audio = true;
    Open(options, nullptr, &m_wave);
    ASSERT_EQ(m_manager->StartStreaming(0), 1);
    // Two blocks fill the output's buffers; the third is offered again and again.
    ASSERT_TRUE(WaitFor([this] { return m_manager->AudioOffers() >= 3; }));
    m_manager->StopStreaming();
    EXPECT_FALSE(m_manager->IsRunning());
    EXPECT_EQ(m_manager->AudioOffers(), 3u);
    m_wave.Close();
}

TEST_F(CQXStorageDeviceManagerPlaybackTest, PlayDrawsEveryFrameAndPlaysTheRecordedSound) {
    const std::string wav = m_dir / "sound.wav";
    KWScopedWavOutput output(wav);
    ASSERT_EQ(m_wave.Open(8000, 16), 1);
    m_wave.SetVolume(50);
    ASSERT_EQ(m_screen.Create(&m_window, nullptr, &m_request), 1);
    DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 3);
    options.audio = true;
    options.motion = true;
    Open(options, &m_screen, &m_wave);
    ASSERT_EQ(m_manager->StartStreaming(0), 1);
    ASSERT_TRUE(WaitForModeChanges({kPlay, kOneReverse, kPause}));
    ExpectAllFramesInOrder(m_manager->Frames());
    ASSERT_TRUE(WaitFor([this] { return m_screen.GetFramesTaken() == m_manager->FrameCount(); }));
    EXPECT_EQ(m_screen.GetDecodeFailures(), 0u);
    EXPECT_EQ(m_screen.GetRecordedChannels(), 0x0F);

    m_manager->StopStreaming();
    m_wave.Close();
    const KWWavContents played = KWReadWavFile(wav);
    ASSERT_TRUE(played.valid);
    constexpr float kGainAtVolume50 = 4.0f;
    std::vector<std::int16_t> expected;
    for (std::int16_t sample : m_truth.sound)
        expected.push_back(QXCompanding::Expand(QXCompanding::Compress(sample), kGainAtVolume50));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(played.samples, expected);
}
} // namespace
