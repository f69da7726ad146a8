#include "CViewerDlg.h"

#include "CConfigDlg.h"
#include "CFolderSelectDlg.h"
#include "CIconButton.h"
#include "DvrRecorder.h"
#include "KWMessageBoxRecorder.h"
#include "KWModalDialog.h"
#include "KWProcessEventsUntil.h"
#include "KWRunProgram.h"
#include "KWScopedCurrentDirectory.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "KWVideoAreaWidget.h"
#include "KWWavReader.h"
#include "QXDialogKit.h"
#include "QXViewerIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <QPushButton>

#include <csignal>
#include <filesystem>
#include <functional>

using namespace QXPlayMode;

namespace {
constexpr int kGenerousMs = 60000;

bool WaitUntil(const std::function<bool()>& done) {
    return KWProcessEventsUntil(done, std::chrono::milliseconds(kGenerousMs));
}

// Options of a minute of four channels at 640x224, paced in real time, with sound.
DvrRecorder::Options DiskOptions(const std::string& path) {
    DvrRecorder::Options options;
    options.output = path;
    options.slices = 14;
    options.seconds = 60;
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.start.tm_hour = 12;
    return options;
}

class CViewerDlgTest : public ::testing::Test {
protected:
    // One disk for all the tests; the viewer only reads it.
    static void SetUpTestSuite() {
        s_diskDir = new KWTempDir;
        s_disk =
            new DvrRecorder::Result(DvrRecorder(DiskOptions(*s_diskDir / "disk.img")).Record());
    }
    static void TearDownTestSuite() {
        delete s_disk;
        delete s_diskDir;
    }
    void SetUp() override {
        ASSERT_TRUE(s_disk->ok) << s_disk->error;
        m_streamLength = static_cast<std::uint32_t>(s_disk->streamLength);
    }

    void OpenWindow(const KWDriveList& drives) {
        m_window = std::make_unique<CViewerDlg>(drives);
        m_window->show();
        ASSERT_TRUE(WaitUntil([this] { return m_window->IsStarted(); }));
    }
    // Opens the window on the disk and waits until it plays.
    void OpenPlaying() {
        OpenWindow({m_disk});
        ASSERT_TRUE(WaitUntil([this] { return Device().GetPlayMode() == kPlay; }));
    }

    CQXStorageDeviceManager& Device() { return m_window->GetDeviceManager(); }
    std::uint32_t Position() { return Device().GetPosition(0); }

    // Sends a key press and its release to the window as the keyboard would.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(m_window.get(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(m_window.get(), &up);
    }
    ::testing::AssertionResult PressAndWaitForMode(int key, std::uint32_t mode) {
        Press(key);
        if (!WaitUntil([&] { return Device().GetPlayMode() == mode; }))
            return ::testing::AssertionFailure()
                   << "mode " << Name(Device().GetPlayMode()) << " instead of " << Name(mode);
        return ::testing::AssertionSuccess();
    }
    // Pauses in the middle of the disk, so that backward modes do not reach its start.
    void PauseInTheMiddle() {
        Device().SetPlayMode(kOneForward, m_streamLength / 2);
        ASSERT_TRUE(WaitUntil([this] {
            return Device().GetPlayMode() == kPause && Position() > m_streamLength / 2;
        }));
    }

    static inline KWTempDir* s_diskDir = nullptr;
    static inline DvrRecorder::Result* s_disk = nullptr;
    KWTempDir m_dir;
    // The viewer keeps its configuration below the directory it starts in.
    KWScopedCurrentDirectory m_start{m_dir.Path()};
    const std::string m_disk = *s_diskDir / "disk.img";
    const std::string m_sound = m_dir / "sound.wav";
    KWScopedWavOutput m_output{m_sound};
    KWMessageBoxRecorder m_boxes;
    std::uint32_t m_streamLength = 0;
    std::unique_ptr<CViewerDlg> m_window;
};

TEST_F(CViewerDlgTest, StartsPlayingTheFirstDiskInTheVideoAreaWithSoundAtVolume50) {
    OpenPlaying();
    EXPECT_EQ(m_window->windowTitle(), "PC Viewer - version 3.8.0");
    auto* videoArea = m_window->findChild<KWVideoAreaWidget*>("1001");
    ASSERT_NE(videoArea, nullptr);
    EXPECT_EQ(videoArea->geometry(), QRect(4, 0, 608, 570));
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kViewerMode);
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_TRUE(m_window->GetWaveManager().IsOpen());
    EXPECT_EQ(m_window->GetWaveManager().GetVolumePercent(), 400); // position 50 is gain 4
    EXPECT_EQ(Device().GetSelected(), 0);

    // The pictures reach the screen, the sound the output, the mode the status line.
    CQXScreenManager4& screen = m_window->GetScreenManager();
    ASSERT_TRUE(WaitUntil([&] { return screen.GetFramesTaken() > 8; }));
    EXPECT_EQ(screen.GetRecordedChannels(), 0x0F);
    EXPECT_EQ(screen.GetDecodeFailures(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return KWReadWavFile(m_sound).samples.size() >= 8000; }));
    auto* status = m_window->findChild<QLabel*>("1038");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return status->text() == "Playing"; }));
}

TEST_F(CViewerDlgTest, WithoutAFormattedDeviceItSaysSoAndStaysOpen) {
    KWTestImage blank(m_dir / "blank.img", KWTestImage::CylinderBytes(1));
    OpenWindow({blank.Path()});
    ASSERT_EQ(m_boxes.Count(), 1u);
    const KWMessageBoxRequest box = m_boxes.Boxes()[0].request;
    EXPECT_EQ(box.text, "No QX Stream Device Detected.\r\nViewer Function Disabled.");
    EXPECT_EQ(box.caption, "Notification");
    EXPECT_EQ(box.flags, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
    EXPECT_EQ(Device().GetPlayMode(), kNone);
    Press(Qt::Key_Right); // no stream for the transport keys
    EXPECT_EQ(Device().GetPlayMode(), kNone);
}

TEST_F(CViewerDlgTest, KeepsItsSettingsInTheStartDirectoryAndEditsThemInTheDialog) {
    OpenPlaying();
    const std::string file = m_dir / "config/QXPCViewer4.cfg";
    EXPECT_TRUE(std::filesystem::exists(file));
    CConfigFileManager& config = m_window->GetConfiguration();
    EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "Capture_MYS/");

    std::filesystem::create_directories(m_dir / "mys");
    const KWModalHandler previousModal = KWSetModalHandler([this](QDialog& dialog) {
        if (auto* folders = dynamic_cast<CFolderSelectDlg*>(&dialog)) {
            folders->SelectPath(QString::fromStdString(m_dir / "mys"));
            QXDialogKit::Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
            return dialog.result();
        }
        EXPECT_EQ(dialog.windowTitle(), "Setting");
        dialog.findChild<QPushButton*>(QString::number(CConfigDlg::kIdChange))->click();
        QXDialogKit::Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
        return dialog.result();
    });
    m_window->RunCommand(QXViewerIds::kMenuConfiguration);
    KWSetModalHandler(previousModal);
    EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "mys");

    m_window.reset();
    CConfigFileManager reloaded;
    EXPECT_EQ(reloaded.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "mys");
}

// The paced modes only: the faster ones cross a test disk in moments (their whole cycles are
// checked on the transition table).
TEST_F(CViewerDlgTest, ArrowKeysAndSpaceChangeTheDeviceMode) {
    OpenPlaying();
    PauseInTheMiddle();
    const std::pair<int, std::uint32_t> steps[] = {
        {Qt::Key_Space, kPlay},   {Qt::Key_Right, kFastForward2}, {Qt::Key_Left, kPlay},
        {Qt::Key_Left, kReverse}, {Qt::Key_Right, kPlay},         {Qt::Key_Space, kPause},
        {Qt::Key_Left, kReverse}, {Qt::Key_Space, kPause},
    };
    for (const auto& [key, mode] : steps)
        ASSERT_TRUE(PressAndWaitForMode(key, mode));
}

TEST_F(CViewerDlgTest, PageKeysStepOneChannelCycleAndHold) {
    OpenPlaying();
    PauseInTheMiddle();
    const std::uint32_t paused = Position();
    Press(Qt::Key_PageDown);
    ASSERT_TRUE(WaitUntil([&] { return Position() > paused && Device().GetPlayMode() == kPause; }));
    const std::uint32_t stepped = Position();
    Press(Qt::Key_PageUp);
    ASSERT_TRUE(
        WaitUntil([&] { return Position() < stepped && Device().GetPlayMode() == kPause; }));
}

TEST_F(CViewerDlgTest, ChannelKeysSetTheDisplayRequest) {
    OpenPlaying();
    ASSERT_TRUE(
        WaitUntil([this] { return m_window->GetScreenManager().GetRecordedChannels() == 0x0F; }));
    Press(Qt::Key_2);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFD);
    Press(Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFB);
    Press(Qt::Key_5);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0);

    // The two-channel key goes round six pairs and goes on where it stopped.
    const std::vector<std::uint8_t> pairs = {0xFC, 0xFA, 0xF6, 0xF9, 0xF5, 0xF3};
    std::vector<std::uint8_t> seen;
    for (int i = 0; i < 7; ++i) {
        Press(Qt::Key_6);
        seen.push_back(m_window->GetDisplayRequest());
    }
    const auto first = std::find(pairs.begin(), pairs.end(), seen[0]);
    ASSERT_NE(first, pairs.end());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], pairs[(static_cast<std::size_t>(first - pairs.begin()) + i) % 6]) << i;

    // While paused the held picture is read again in the new layout: one cycle forward.
    PauseInTheMiddle();
    const std::uint32_t paused = Position();
    Press(Qt::Key_1);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFE);
    EXPECT_TRUE(WaitUntil([&] { return Position() > paused && Device().GetPlayMode() == kPause; }));
}

TEST_F(CViewerDlgTest, VolumeKeysAndControlMDriveTheSound) {
    OpenPlaying();
    CKWWaveManager& wave = m_window->GetWaveManager();
    for (int i = 0; i < 12; ++i)
        Press(Qt::Key_Down);
    EXPECT_EQ(m_window->GetVolume(), 0);
    EXPECT_EQ(wave.GetVolumePercent(), 0);
    Press(Qt::Key_M); // without Control: nothing
    EXPECT_TRUE(wave.IsOpen());
    Press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(wave.IsOpen());
    // A volume change switches the sound back on.
    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Up);
    EXPECT_EQ(m_window->GetVolume(), 15);
    EXPECT_EQ(wave.GetVolumePercent(), 120);
    EXPECT_TRUE(wave.IsOpen());
    for (int i = 0; i < 30; ++i)
        Press(Qt::Key_Up);
    EXPECT_EQ(m_window->GetVolume(), 100);
}

TEST_F(CViewerDlgTest, ControlXClosesTheWindowAndStopsEveryEngine) {
    OpenPlaying();
    ASSERT_TRUE(WaitUntil([this] { return KWReadWavFile(m_sound).samples.size() >= 4000; }));
    Press(Qt::Key_X); // without Control: nothing
    EXPECT_TRUE(m_window->isVisible());
    // Control held by its own key press, as the keyboard delivers it.
    QKeyEvent control(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &control);
    Press(Qt::Key_X);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(Device().IsRunning());
    EXPECT_EQ(Device().GetSelected(), CQXStorageDeviceManager::kNoSelection);
    EXPECT_EQ(Device().GetDeviceCount(), 0);
    EXPECT_FALSE(m_window->GetWaveManager().IsOpen());
    EXPECT_FALSE(m_window->GetScreenManager().IsRunning());
    const KWWavContents sound = KWReadWavFile(m_sound);
    EXPECT_TRUE(sound.valid);
    EXPECT_GE(sound.samples.size(), 4000u);
}

// Keys reach the window's rules before any control: the ones they use never get to the control.
TEST_F(CViewerDlgTest, KeysTheWindowUsesNeverReachItsControls) {
    OpenPlaying();
    auto* edit = new QLineEdit(m_window.get());
    auto type = [edit](int key, const QString& text) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(edit, &down);
    };
    type(Qt::Key_A, "a");
    type(Qt::Key_5, "5");
    type(Qt::Key_Space, " ");
    type(Qt::Key_B, "b");
    type(Qt::Key_Escape, "");
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_TRUE(WaitUntil([this] { return Device().GetPlayMode() == kPause; }));
    EXPECT_TRUE(m_window->isVisible());
}

// The program itself, ended by a signal as from a terminal or a script: it closes as Close
// does, with exit code 0 and the sound output finished.
TEST_F(CViewerDlgTest, InterruptAndTerminationCloseTheProgram) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const std::string sound = m_dir / ("program" + std::to_string(signal) + ".wav");
        KWProgram program("cd '" + m_dir.Path().string() +
                          "' && exec env QT_QPA_PLATFORM=offscreen QUADVIEW_DRIVES='" + m_disk +
                          "' QUADVIEW_AUDIO_OUT='" + sound + "' " + KWBuiltProgram("quadview"));
        ASSERT_TRUE(program.IsStarted());
        // Playing: a second of sound has been written.
        ASSERT_TRUE(WaitUntil([&] { return KWReadWavFile(sound).samples.size() >= 8000; }));
        ASSERT_EQ(::kill(program.Id(), signal), 0);
        ASSERT_TRUE(program.WaitForExit(kGenerousMs));
        EXPECT_EQ(program.Status(), 0) << "a normal exit with code 0";
        EXPECT_TRUE(KWReadWavFile(sound).valid);
    }
}
} // namespace
