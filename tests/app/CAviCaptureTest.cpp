// The viewer's AVI capture on a synthetic disk, with the viewer's own engines: the window owns
// them and plays the disk; the capture records what the video area shows.
#include "CAviCapture.h"

#include "CAviCompressionDlg.h"
#include "CIconButton.h"
#include "CViewerDlg.h"
#include "DvrRecorder.h"
#include "KWAviCodecs.h"
#include "KWAviProbe.h"
#include "KWFileDialog.h"
#include "KWFileSizeLimit.h"
#include "KWMessageBoxRecorder.h"
#include "KWModalDialog.h"
#include "KWProcessEventsUntil.h"
#include "KWScopedCurrentDirectory.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {
constexpr auto kGenerous = std::chrono::seconds(60);
const char* const kCaption = "Capture AVI";
const char* const kStartQuestion = "Recent Position";
// Frames the view has shown before a test begins: a cycle of every channel at least.
constexpr std::uint32_t kShownFirst = 8;

class CAviCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_diskDir = new KWTempDir;
        DvrRecorder::Options options;
        options.output = *s_diskDir / "disk.img";
        options.slices = 14;
        options.seconds = 5;
        s_disk = new DvrRecorder::Result(DvrRecorder(options).Record());
    }
    static void TearDownTestSuite() {
        delete s_disk;
        delete s_diskDir;
    }
    void SetUp() override {
        ASSERT_TRUE(s_disk->ok) << s_disk->error;
        m_window = std::make_unique<CViewerDlg>(KWDriveList{*s_diskDir / "disk.img"});
        m_window->show();
        ASSERT_TRUE(KWProcessEventsUntil(
            [this] {
                return m_window->IsStarted() && Devices().GetPlayMode() == QXPlayMode::kPlay &&
                       m_window->GetScreenManager().GetFramesTaken() > kShownFirst;
            },
            kGenerous));
        m_capture = std::make_unique<CAviCapture>(*m_window, m_window->GetScreenManager(),
                                                  Devices(), m_window->GetConfiguration());
        AnswerCompression(KWAviCodec::kFullFrames);
    }
    void TearDown() override {
        m_capture.reset();
        m_window.reset();
        KWSetFileDialogHandler(nullptr);
        KWSetModalHandler(nullptr);
    }

    CQXStorageDeviceManager& Devices() { return m_window->GetDeviceManager(); }
    std::string MysDirectory() {
        return m_window->GetConfiguration().GetEntry(CConfigFileManager::kMysDirectory)->text;
    }

    // The save dialog chooses `path`; empty cancels it.
    void AnswerSave(const std::string& path) {
        KWSetFileDialogHandler([this, path](QWidget*, const KWFileDialogRequest& request) {
            m_saveRequests.push_back(request);
            return QString::fromStdString(path);
        });
    }
    // The compression dialog chooses `codec` and OK; a codec outside the table cancels it.
    // The compressor the dialog showed first is kept.
    void AnswerCompression(KWAviCodec codec) {
        KWSetModalHandler([this, codec](QDialog& dialog) {
            auto* compressor =
                QXDialogKit::Find<QComboBox>(dialog, CAviCompressionDlg::kIdCompressor);
            m_shownCompressors.push_back(compressor->currentText().toStdString());
            const KWAviCodecs::Info* info = KWAviCodecs::Find(codec);
            if (info == nullptr) {
                dialog.reject();
            } else {
                compressor->setCurrentText(info->name);
                QXDialogKit::Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
            }
            return dialog.result();
        });
    }

    // Starts a capture into `path`, lets it take frames until `enough` holds and ends it.
    void Record(const std::string& path, const std::function<bool()>& enough) {
        AnswerSave(path);
        m_capture->Toggle();
        ASSERT_TRUE(m_capture->IsRunning());
        ASSERT_TRUE(KWProcessEventsUntil(enough, kGenerous));
        m_capture->Toggle();
        EXPECT_FALSE(m_capture->IsRunning());
        m_capture->Stop();
    }
    // The boxes of the capture: the window's own start-up question is left out, whenever it
    // comes.
    std::vector<KWMessageBoxRecorder::Shown> CaptureBoxes() const {
        std::vector<KWMessageBoxRecorder::Shown> boxes = m_boxes.Boxes();
        std::erase_if(boxes, [](const auto& box) { return box.request.caption == kStartQuestion; });
        return boxes;
    }
    KWMessageBoxRequest LastBox() const {
        const auto boxes = CaptureBoxes();
        return boxes.empty() ? KWMessageBoxRequest{} : boxes.back().request;
    }

    static inline KWTempDir* s_diskDir = nullptr;
    static inline DvrRecorder::Result* s_disk = nullptr;
    KWTempDir m_dir;
    // The viewer keeps its configuration below the directory it starts in, and the capture
    // moves into the MYS directory.
    KWScopedCurrentDirectory m_start{m_dir.Path()};
    KWScopedWavOutput m_sound{m_dir / "sound.wav"};
    KWMessageBoxRecorder m_boxes;
    std::unique_ptr<CViewerDlg> m_window;
    std::unique_ptr<CAviCapture> m_capture;
    std::vector<KWFileDialogRequest> m_saveRequests;
    std::vector<std::string> m_shownCompressors;
};
} // namespace

// Pressed twice at once: the thread still adds its first frame, and the file plays. The view
// is in it (not a black picture), the picture file stays in the MYS directory, which is now the
// current directory, and the device plays.
TEST_F(CAviCaptureTest, PressingTwiceInQuickSuccessionGivesAFileWithAFrameAndTheCreatedMessage) {
    const std::string path = m_dir / "quick.avi";
    AnswerSave(path);
    m_capture->Toggle();
    m_capture->Toggle();
    EXPECT_FALSE(m_capture->IsRunning());
    m_capture->Stop();
    ASSERT_EQ(CaptureBoxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "An AVI File was created: " + path);
    EXPECT_EQ(LastBox().caption, kCaption);
    EXPECT_EQ(LastBox().flags, KWMessageBoxFlags::kOk);

    ASSERT_EQ(m_saveRequests.size(), 1u);
    EXPECT_EQ(m_saveRequests[0].kind, KWFileDialogKind::Save);
    EXPECT_EQ(m_saveRequests[0].start, "Capture.avi");
    EXPECT_EQ(m_saveRequests[0].filter, "AVI Files (*.avi)");
    EXPECT_EQ(m_saveRequests[0].defaultSuffix, "avi");
    EXPECT_EQ(m_shownCompressors, std::vector<std::string>{"Full Frames (Uncompressed)"});

    const QImage picture(QString::fromStdString(fs::path(MysDirectory()) / "test.bmp"), "BMP");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(MysDirectory()));
    EXPECT_EQ(Devices().GetPlayMode(), QXPlayMode::kPlay);

    const KWAviProbe probe = KWProbeAvi(path);
    ASSERT_TRUE(probe.ok) << probe.report;
    EXPECT_GE(probe.frames, 1);
    EXPECT_EQ(probe.rate, "5/1");
    EXPECT_EQ(QSize(probe.width, probe.height), picture.size());
    const std::vector<std::uint8_t> rgb = KWAviProbe::DecodeRgb(path);
    ASSERT_FALSE(rgb.empty());
    const auto lit = std::count_if(rgb.begin(), rgb.end(), [](std::uint8_t v) { return v > 60; });
    EXPECT_GT(lit, static_cast<long>(rgb.size() / probe.frames / 4));
}

TEST_F(CAviCaptureTest, CancellingTheSaveDialogShowsCanceledAndLeavesTheCommandIdle) {
    AnswerSave("");
    m_capture->Toggle();
    EXPECT_FALSE(m_capture->IsRunning());
    ASSERT_EQ(CaptureBoxes().size(), 1u);
    EXPECT_EQ(LastBox().text, "Capture AVI Was Canceled");
    EXPECT_EQ(LastBox().caption, kCaption);
    EXPECT_EQ(LastBox().flags, KWMessageBoxFlags::kOk);
    EXPECT_TRUE(m_shownCompressors.empty());
}

// The overwrite question belongs to the save dialog; once it is answered the old file goes.
TEST_F(CAviCaptureTest, AnExistingFileIsReplaced) {
    const std::string path = m_dir / "old.avi";
    std::ofstream(path) << "an older file of the same name";
    Record(path, [&] { return true; });
    EXPECT_EQ(LastBox().text, "An AVI File was created: " + path);
    const KWAviProbe probe = KWProbeAvi(path);
    EXPECT_TRUE(probe.ok) << probe.report;
}

// The file plays as long as the capture ran: a frame for every 200 ms of it, however long
// each picture took to take.
TEST_F(CAviCaptureTest, TheFileLastsAsLongAsTheCapture) {
    using Clock = std::chrono::steady_clock;
    const std::string path = m_dir / "timed.avi";
    const Clock::time_point start = Clock::now();
    Clock::time_point enough = start;
    Record(path, [&] {
        enough = Clock::now();
        return enough - start >= std::chrono::seconds(2);
    });
    const Clock::time_point ended = Clock::now();
    const KWAviProbe probe = KWProbeAvi(path);
    ASSERT_TRUE(probe.ok) << probe.report;
    const auto period = std::chrono::milliseconds(CAviCapture::kFramePeriodMs);
    EXPECT_GE(probe.frames, (enough - start) / period);
    EXPECT_LE(probe.frames, (ended - start) / period + 1);
}

// The compressor chosen is the file's, and the next capture's dialog starts from it; cancelling
// that dialog keeps it.
TEST_F(CAviCaptureTest, TheChosenCompressorIsUsedAndRememberedForTheNextCapture) {
    AnswerCompression(KWAviCodec::kMpeg4);
    const std::string first = m_dir / "first.avi";
    Record(first, [&] { return fs::exists(first); });
    EXPECT_EQ(KWProbeAvi(first).codec, "mpeg4");
    EXPECT_EQ(m_capture->GetOptions().codec, KWAviCodec::kMpeg4);

    AnswerCompression(static_cast<KWAviCodec>(99));
    const std::string second = m_dir / "second.avi";
    Record(second, [&] { return fs::exists(second); });
    const KWAviProbe probe = KWProbeAvi(second);
    ASSERT_TRUE(probe.ok) << probe.report;
    EXPECT_EQ(probe.codec, "mpeg4");
    EXPECT_EQ(m_shownCompressors,
              (std::vector<std::string>{"Full Frames (Uncompressed)", "MPEG-4 Part 2"}));
}

// No writer state: the user is told at once and the command stays idle, with no thread adding
// frames to nothing and no message that claims a file.
TEST_F(CAviCaptureTest, AnUnwritableOutputLeavesNoStateAndTheCommandIdle) {
    const std::string path = m_dir / "missing/out.avi";
    AnswerSave(path);
    m_capture->Toggle();
    EXPECT_FALSE(m_capture->IsRunning());
    ASSERT_EQ(CaptureBoxes().size(), 1u);
    EXPECT_EQ(LastBox().text.find("The AVI file could not be created:\r\n" + path), 0u)
        << LastBox().text;
    EXPECT_EQ(LastBox().caption, kCaption);
    EXPECT_TRUE(m_shownCompressors.empty());
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

// A disk that fills up: the final message says the file is incomplete and why, instead of
// claiming a created file.
TEST_F(CAviCaptureTest, AFullDiskEndsWithTheIncompleteMessage) {
    const std::string path = m_dir / "full.avi";
    constexpr std::uintmax_t kLimit = 3 * 1024 * 1024;
    KWFileSizeLimit limit(kLimit);
    ASSERT_TRUE(limit.IsApplied());
    Record(path, [&] {
        std::error_code error;
        return fs::file_size(path, error) == kLimit;
    });
    const std::string text = LastBox().text;
    EXPECT_EQ(text.find("The AVI file is incomplete: " + path), 0u) << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    EXPECT_EQ(LastBox().caption, kCaption);
}

// The MYS directory cannot be made: no picture can be taken. That is told once, not for every
// frame, and the file without a frame is reported incomplete.
TEST_F(CAviCaptureTest, APictureThatCannotBeTakenIsToldOnce) {
    std::ofstream(m_dir / "plain") << "a file, not a folder";
    m_window->GetConfiguration().GetEntry(CConfigFileManager::kMysDirectory)->text =
        m_dir / "plain/Capture_MYS/";
    const std::string path = m_dir / "nothing.avi";
    Record(path, [&] {
        if (CaptureBoxes().empty())
            return false;
        // Several frames' time after the first failure.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return true;
    });
    const auto boxes = CaptureBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].request.text.find("HBITMAP IS NULL"), 0u);
    EXPECT_EQ(boxes[0].request.flags, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconInformation);
    EXPECT_EQ(boxes[1].request.text.find("The AVI file is incomplete: " + path), 0u);
    EXPECT_NE(boxes[1].request.text.find("no frame was written"), std::string::npos);
}
