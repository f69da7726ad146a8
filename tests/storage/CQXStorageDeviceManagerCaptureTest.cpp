// Stream capture: while the device stream plays after StartCapture, its frames and sound go into
// a MYS file; capture starts only from a pause and closes a MYS file that was playing.
#include "CQXMysFileManager.h"
#include "CQXMysRecordWalker.h"
#include "KWRecordingTarget.h"
#include "PlaybackTestSupport.h"
#include "QXCompanding.h"
#include "QXMysFileHeader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {
using namespace QXPlayMode;

struct CapturedFile {
    QXMysFileHeader header;
    std::size_t video = 0;
    std::size_t keyVideo = 0;
    std::vector<std::vector<std::uint8_t>> audio; // each audio record's samples
};

CapturedFile ReadCapture(const std::string& path) {
    CapturedFile file;
    const int fd = open(path.c_str(), O_RDONLY);
    std::uint8_t bytes[QXMysFileHeader::kSize];
    if (pread(fd, bytes, sizeof bytes, 0) != sizeof bytes) {
        close(fd);
        return file;
    }
    file.header = QXMysFileHeader::FromBytes(bytes);
    CQXMysRecordWalker walker(fd, std::filesystem::file_size(path));
    QXMysRecordHeader record;
    std::uint64_t offset = 0;
    while (walker.Next(record, offset)) {
        if (record.IsVideo()) {
            ++file.video;
            file.keyVideo += record.IsKeyVideo();
        } else {
            std::vector<std::uint8_t> samples(record.length - QXMysRecordHeader::kAudioLead);
            pread(fd, samples.data(), samples.size(),
                  static_cast<off_t>(offset + QXMysRecordHeader::kSize +
                                     QXMysRecordHeader::kAudioLead));
            file.audio.push_back(samples);
        }
    }
    close(fd);
    return file;
}

std::vector<std::string> MysFiles(const std::string& folder) {
    std::vector<std::string> files;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".mys")
                files.push_back(entry.path().string());
    return files;
}

class CQXStorageDeviceManagerCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        DvrRecorder::Options options = DiskOptions(m_dir, 7, 0, 3);
        options.audio = true;
        options.motion = true;
        options.keyPeriod = 5;
        options.channels = {0, 1};
        m_truth = DvrRecorder(options).Record();
        ASSERT_TRUE(m_truth.ok) << m_truth.error;
        m_manager = std::make_unique<RecordingManager>(KWDriveList{options.output});
        ASSERT_EQ(m_manager->AddListenerWindow(&m_target), 1);
        // No wave manager: the sound is off, and the capture must still get it.
        ASSERT_TRUE(m_manager->OpenAllDevices(nullptr, nullptr, &m_files));
        ASSERT_TRUE(WaitFor([this] { return !m_manager->IsAnyDeviceBusy(); }));
        ASSERT_EQ(m_manager->StartStreaming(0), 1);
    }
    void Pause() {
        m_manager->SetPlayMode(kPause, kNoTarget);
        ASSERT_TRUE(WaitForMode(*m_manager, kPause));
    }
    // Steps one channel cycle forward from the start of the recording and waits for the pause
    // that ends the step. The mode read at once could still be the pause from before the step,
    // so the wait is for the announcements: "onef", then "pause" after it.
    void StepFromTheStart() {
        const std::size_t before = m_target.Count();
        m_manager->SetPlayMode(kOneForward, 0);
        ASSERT_TRUE(WaitFor([&] {
            bool stepped = false;
            const auto received = m_target.Received();
            for (std::size_t i = before; i < received.size(); ++i) {
                if (received[i].message != CQXStorageDeviceManager::kMessageModeChanged)
                    continue;
                if (received[i].wParam == kOneForward)
                    stepped = true;
                else if (stepped && received[i].wParam == kPause)
                    return true;
            }
            return false;
        }));
    }
    // Captures from the paused position until playing has reached the end of the recording,
    // stepped back one cycle and paused again.
    void CaptureToTheEnd(const std::string& folder) {
        const std::size_t before = m_manager->FrameCount();
        ASSERT_EQ(m_manager->StartCapture(folder), 1);
        ASSERT_TRUE(WaitFor([&] {
            return m_manager->FrameCount() > before + 20 && m_manager->GetPlayMode() == kPause;
        }));
        m_manager->StopCapture();
        EXPECT_FALSE(m_files.IsRecorderRunning());
    }

    KWTempDir m_dir;
    KWRecordingTarget m_target; // outlives the manager, which reports to it
    DvrRecorder::Result m_truth;
    CQXMysFileManager m_files;
    std::unique_ptr<RecordingManager> m_manager;
};
} // namespace

TEST_F(CQXStorageDeviceManagerCaptureTest, OnlyFromAPause) {
    ASSERT_TRUE(WaitForMode(*m_manager, kPlay));
    EXPECT_EQ(m_manager->StartCapture(m_dir / "capture"), 0);
    EXPECT_FALSE(m_files.IsRecorderRunning());
    EXPECT_TRUE(MysFiles(m_dir / "capture").empty());
}

TEST_F(CQXStorageDeviceManagerCaptureTest, ADirectoryThatCannotBeMadeFailsAndKeepsThePause) {
    Pause();
    std::ofstream(m_dir / "file") << "x"; // a file where the directory would go
    EXPECT_EQ(m_manager->StartCapture(m_dir / "file/capture"), 0);
    EXPECT_FALSE(m_files.IsRecorderRunning());
    EXPECT_EQ(m_files.IsRecording(), CQXMysFileManager::kStatusIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_manager->GetPlayMode(), kPause);
}

TEST_F(CQXStorageDeviceManagerCaptureTest, RecordsThePlayedStreamWithItsSoundInSampleOrder) {
    Pause();
    StepFromTheStart();
    CaptureToTheEnd(m_dir / "capture");

    const auto files = MysFiles(m_dir / "capture");
    ASSERT_EQ(files.size(), 1u);
    const CapturedFile file = ReadCapture(files[0]);
    EXPECT_EQ(file.header.magic, QXMysFileHeader::kMagic);
    EXPECT_EQ(file.header.recordCount, file.video + file.audio.size());
    // Everything from the first key picture on, the end's step back included.
    EXPECT_GE(file.video, m_truth.frames.size() - 10);
    EXPECT_GE(file.keyVideo, 2u);
    ASSERT_GE(file.audio.size(), 4u);

    // Each audio block is one of the source's half-second blocks, in sample order.
    const auto& source = m_truth.sound;
    for (const auto& samples : file.audio) {
        ASSERT_EQ(samples.size(), 4000u);
        int best = INT32_MAX;
        for (std::size_t block = 0; block + 4000 <= source.size(); block += 4000) {
            int worst = 0;
            for (std::size_t i = 0; i < 4000; ++i)
                worst = std::max(
                    worst, std::abs(QXCompanding::Expand(samples[i], 1.0f) - source[block + i]));
            best = std::min(best, worst);
        }
        EXPECT_LE(best, 88);
    }
}

TEST_F(CQXStorageDeviceManagerCaptureTest, StartingACaptureClosesAPlayingMysFile) {
    Pause();
    StepFromTheStart();
    CaptureToTheEnd(m_dir / "first");
    const auto files = MysFiles(m_dir / "first");
    ASSERT_EQ(files.size(), 1u);

    ASSERT_EQ(m_files.OpenPlayer(files[0]), 1);
    ASSERT_TRUE(m_files.IsPlaying());
    StepFromTheStart();
    CaptureToTheEnd(m_dir / "second");
    EXPECT_FALSE(m_files.IsPlaying());
    EXPECT_EQ(MysFiles(m_dir / "second").size(), 1u);
}
