#include "CQXMysFileManager.h"
#include "CKWWaveManager.h"
#include "KWMemoryWaveOutput.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"
#include "QXCompanding.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(CQXMysFileManager, OpenRecorderRefusesANullPathAndTheMissingStandard) {
    KWTempDir dir;
    KWMessageBoxRecorder boxes;
    CQXMysFileManager manager;
    EXPECT_EQ(manager.GetClassName(), "CQXMysFileManager");
    EXPECT_EQ(manager.OpenRecorder(nullptr, 0), 0);
    EXPECT_EQ(manager.OpenRecorder(dir.Path().c_str(), 2), 0);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].request.text,
              "Fatal Error Occurred\r\nClass:\tCQXMysFileManager\r\nMessage:\tNULL path.");
    EXPECT_EQ(boxes.Boxes()[1].request.text,
              "Fatal Error Occurred\r\nClass:\tCQXMysFileManager\r\nMessage:\tInvalid Video "
              "Standard.");
    EXPECT_EQ(manager.IsRecording(), 0u);
    EXPECT_FALSE(manager.IsRecorderRunning());
}

TEST(CQXMysFileManager, CapturedFramesGoToTheRecorderWhileItRecords) {
    KWTempDir dir;
    CQXMysFileManager manager;
    CQXVideoFrame frame;
    MakePlainFrame(frame, 1000, true, RecordTime(3));
    EXPECT_EQ(manager.WriteVideo(frame), 0) << "no recorder open";

    ASSERT_EQ(manager.OpenRecorder(dir.Path().c_str(), 1), 1);
    EXPECT_EQ(manager.IsRecording(), CQXMysFileManager::kStatusRecording);
    EXPECT_TRUE(manager.IsRecorderRunning());
    EXPECT_EQ(manager.WriteVideo(frame), 1);
    CQXAudioFrame audio;
    audio.SetLength(4000);
    EXPECT_TRUE(WaitFor([&] { return manager.WriteAudio(audio) == 1; }));
    EXPECT_TRUE(WaitFor([&] { return manager.GetFileLength() == 28u + 1028 + 4036; }));
    manager.CloseRecorder();
    EXPECT_EQ(manager.IsRecording(), 0u);
    EXPECT_EQ(manager.GetFileLength(), 0u);
    EXPECT_EQ(MysFilesIn(dir.Path()), std::vector<std::string>{"20061227150003.mys"});
}

TEST(CQXMysFileManager, ARecorderThatEndsOnAnErrorIsNoLongerReportedAsRecording) {
    KWTempDir dir;
    CQXMysFileManager manager;
    const std::string folder = dir / "gone";
    ASSERT_EQ(manager.OpenRecorder(folder.c_str(), 0), 1);
    ASSERT_EQ(manager.IsRecording(), CQXMysFileManager::kStatusRecording);
    std::filesystem::remove_all(folder); // the first file cannot be created
    CQXVideoFrame frame;
    MakePlainFrame(frame, 1000, true, RecordTime(3));
    ASSERT_EQ(manager.WriteVideo(frame), 1);
    EXPECT_TRUE(WaitFor([&] { return !manager.IsRecorderRunning(); }));
    EXPECT_TRUE(WaitFor([&] { return manager.IsRecording() == 0u; }));
}

TEST(CQXMysFileManager, ReportsThePlayerModeAsAnIndexAndItsPositions) {
    KWTempDir dir;
    std::vector<TestRecord> records(4);
    for (std::uint32_t n = 0; n < 4; ++n)
        records[n] = TestRecord{true, n == 0, 200, 0x01, 0, RecordTime(n)};
    const auto offsets = WriteMysFile(dir / "a.mys", records);
    PlayerListener window; // outlives the manager, which reports the player's end
    CQXMysFileManager manager;
    manager.GetPlayer().SetPacing(false);
    manager.AddListenerObject(&window);

    ASSERT_EQ(manager.OpenPlayer(dir / "a.mys"), 1);
    // Without a screen the frames are given straight back, so the player runs to the end.
    ASSERT_TRUE(WaitFor([&] { return manager.IsRecording() == 18; }));
    EXPECT_TRUE(manager.IsPlaying());
    EXPECT_EQ(manager.GetFileLength(), offsets[3] + 228);
    EXPECT_EQ(window.Modes(CQXMysFileManager::kMessagePlayerMode),
              (std::vector<std::uint32_t>{3, 18}));

    manager.SetPlayMode(1, 0);
    manager.SetPlayMode(19, 0);
    manager.SetPlayMode(2, static_cast<std::uint32_t>(offsets[1])); // "onef" at record 1
    ASSERT_TRUE(WaitFor([&] { return window.Modes(0x1420).size() == 4; }));
    EXPECT_EQ(window.Modes(0x1420), (std::vector<std::uint32_t>{3, 18, 2, 18}));
    std::vector<std::uint64_t> positions;
    for (const auto& m : window.Messages())
        if (m.message == CQXMysPlayer::kMessagePosition)
            positions.push_back(static_cast<std::uint64_t>(m.lParam));
    // The last record is read again next, so its position is its own start; "onef" read
    // record 1.
    EXPECT_EQ(positions, (std::vector<std::uint64_t>{offsets[1], offsets[2], offsets[3], offsets[3],
                                                     offsets[2]}));

    manager.ClosePlayer();
    EXPECT_EQ(manager.IsRecording(), 0u);
    EXPECT_EQ(window.Modes(0x1420).back(), 0u);
    EXPECT_FALSE(manager.IsPlaying());
}

TEST(CQXMysFileManager, PlayerSoundGoesToTheWaveOutputInSampleOrder) {
    KWTempDir dir;
    std::vector<TestRecord> records = {TestRecord{true, true, 200, 0x01, 0, RecordTime(0)},
                                       TestRecord{false, false, 4008, 0, 0, {}},
                                       TestRecord{false, false, 1008, 0, 0, {}},
                                       TestRecord{true, false, 200, 0x01, 0, RecordTime(1)}};
    WriteMysFile(dir / "a.mys", records);
    KWMemoryWaveOutput output;
    CKWWaveManager wave;
    ASSERT_EQ(wave.Open(8000, 16), 1);
    CQXMysFileManager manager;
    manager.SetOutputs(nullptr, &wave);
    manager.GetPlayer().SetPacing(false);
    ASSERT_EQ(manager.OpenPlayer(dir / "a.mys"), 1);
    ASSERT_TRUE(WaitFor([&] { return manager.IsRecording() == 18; }));
    EXPECT_EQ(output.Consume(5000), 5000u);
    std::vector<std::int16_t> expected;
    for (std::uint32_t i = 0; i < 4000; ++i)
        expected.push_back(QXCompanding::Expand(AudioByte(i), CKWWaveManager::kInitialGain));
    for (std::uint32_t i = 0; i < 1000; ++i)
        expected.push_back(QXCompanding::Expand(AudioByte(i), CKWWaveManager::kInitialGain));
    EXPECT_EQ(output.Played(), expected);
    manager.ClosePlayer();
    wave.Close();
}
