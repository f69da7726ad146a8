#include "CConfigDlg.h"
#include "CDeviceDetectionDlg.h"
#include "CFolderSelectDlg.h"
#include "KWRunProgram.h"
#include "KWTestImage.h"
#include "KWVideoAreaWidget.h"
#include "KWWavReader.h"
#include "QXDialogKit.h"
#include "ViewerWindowTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <csignal>
#include <fstream>

using namespace ViewerTest;

namespace {
// A program asked to end by a signal is gone within this time.
constexpr int kPromptExitMs = 5000;
// Time for a message box to come up after what the program prints before it.
constexpr int kNoticeShowsMs = 500;

class CViewerDlgTest : public WindowFixture {
protected:
    std::string ReadRecent() {
        std::ifstream in(m_dir / "recent.txt");
        std::string text;
        std::getline(in, text);
        return text;
    }
    void SetCloseConfirmation(int on) {
        m_window->GetConfiguration().GetEntry(CConfigFileManager::kShowCloseConfirm)->value = on;
    }
};
} // namespace

TEST_F(CViewerDlgTest, StartsPlayingTheFirstDiskWithTheSoundOffAtVolume50) {
    OpenPlaying();
    EXPECT_EQ(m_window->windowTitle(), "PC Viewer - version 3.8.0");
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kViewerMode);
    EXPECT_EQ(Device().GetSelected(), 0);
    // A device at its start offers to go back to the last position; No plays on.
    ASSERT_EQ(m_boxes.Count(), 1u);
    const KWMessageBoxRequest question = m_boxes.Boxes()[0].request;
    EXPECT_EQ(question.text, "Do you want come back to\nthe last positon?");
    EXPECT_EQ(question.caption, "Recent Position");
    EXPECT_EQ(question.flags & KWMessageBoxFlags::kButtonMask, KWMessageBoxFlags::kYesNo);

    CKWWaveManager& wave = m_window->GetWaveManager();
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(m_window->GetVolume(), 50);
    EXPECT_EQ(wave.GetVolumePercent(), 400); // position 50 is gain 4
    EXPECT_EQ(Control<CKWSlider>(QXViewerIds::kVolume).ToolTip()->Text(), "Volume 50%");

    // The pictures reach the screen, the mode the status line.
    CQXScreenManager4& screen = m_window->GetScreenManager();
    ASSERT_TRUE(WaitUntil([&] { return screen.GetFramesTaken() > 8; }));
    EXPECT_EQ(screen.GetRecordedChannels(), 0x0F);
    EXPECT_EQ(screen.GetDecodeFailures(), 0u);
    auto& status = Control<QLabel>(QXViewerIds::kViewerStatus);
    EXPECT_TRUE(WaitUntil([&] { return status.text() == "Playing"; }));

    // The sound is one Ctrl+M away.
    Press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(wave.IsOpen());
    EXPECT_TRUE(WaitUntil([&] { return KWReadWavFile(m_sound).samples.size() >= 8000; }));
}

TEST_F(CViewerDlgTest, StartsWithTheSoundOnWhenAsked) {
    OpenWindow({Data::Disk().path}, CViewerDlg::StartSound::On);
    EXPECT_TRUE(m_window->GetWaveManager().IsOpen());
    EXPECT_TRUE(WaitUntil([&] { return KWReadWavFile(m_sound).samples.size() >= 8000; }));
}

TEST_F(CViewerDlgTest, WithoutAFormattedDeviceItWorksAsMysPlayerAndRefusesTheViewer) {
    KWTestImage blank(m_dir / "blank.img", KWTestImage::CylinderBytes(1));
    testing::internal::CaptureStderr();
    OpenWindow({blank.Path()});
    const std::string terminal = testing::internal::GetCapturedStderr();
    // The terminal names the drive and why it is no DVR disk.
    EXPECT_NE(terminal.find("quadview: drive 0 (" + blank.Path() + "): holds no recorded stream"),
              std::string::npos)
        << terminal;
    // The detection's notice comes first, then the window's.
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].request.caption, CDeviceDetectionDlg::kNoDeviceCaption);
    const KWMessageBoxRequest box = m_boxes.Boxes()[1].request;
    EXPECT_EQ(box.text, "No QX Stream Device Detected.\r\nViewer Function Disabled.");
    EXPECT_EQ(box.caption, "Notification");
    EXPECT_EQ(box.flags, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
    EXPECT_EQ(Device().GetPlayMode(), kNone);
    Press(Qt::Key_Right); // no stream for the transport keys
    EXPECT_EQ(Device().GetPlayMode(), kNone);

    EXPECT_FALSE(Button(QXViewerIds::kWorkingMode).isEnabled());
    EXPECT_EQ(Tip(QXViewerIds::kWorkingMode),
              AsShown("Change working mode to Viewer\r\n[Disabled] No Stream Device"));
    EXPECT_FALSE(Button(QXViewerIds::kSelectDevice).isEnabled());
    EXPECT_EQ(Tip(QXViewerIds::kSelectDevice),
              AsShown("Select Other Stream Device\r\n[Disabled] No Stream Device"));
    EXPECT_FALSE(Button(QXViewerIds::kDeviceInfo).isEnabled());

    // F2 and the menu try to go to the Viewer and are told why not.
    Press(Qt::Key_F2);
    Item(QXViewerIds::kMenuViewerMode).trigger();
    const auto notes = BoxesCaptioned("Note");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].text, "Cannot change working mode to\r\nPC Viewer function.\r\n"
                             "There is no QX Storage Devices.");
    EXPECT_EQ(notes[0].flags, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
}

TEST_F(CViewerDlgTest, KeepsItsSettingsInTheStartDirectoryAndEditsThemInTheDialog) {
    OpenPlaying();
    const std::string file = m_dir / "config/QXPCViewer4.cfg";
    EXPECT_TRUE(std::filesystem::exists(file));
    CConfigFileManager& config = m_window->GetConfiguration();
    EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "Capture_MYS/");

    std::filesystem::create_directories(m_dir / "mys");
    ScopedModal modal([this](QDialog& dialog) {
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
    Item(QXViewerIds::kMenuConfiguration).trigger();
    EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "mys");

    m_window.reset();
    CConfigFileManager reloaded;
    EXPECT_EQ(reloaded.GetEntry(CConfigFileManager::kMysDirectory)->text, m_dir / "mys");
}

// The paced modes only: the faster ones cross a test disk in moments (their whole cycles are
// checked on the transition table and through the buttons).
TEST_F(CViewerDlgTest, ArrowKeysAndSpaceChangeTheDeviceMode) {
    OpenPlaying();
    PauseAt(0.5);
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
    PauseAt(0.5);
    const std::uint32_t paused = Position();
    Press(Qt::Key_PageDown);
    ASSERT_TRUE(WaitUntil([&] { return Position() > paused && Device().GetPlayMode() == kPause; }));
    const std::uint32_t stepped = Position();
    Press(Qt::Key_PageUp);
    ASSERT_TRUE(
        WaitUntil([&] { return Position() < stepped && Device().GetPlayMode() == kPause; }));
}

TEST_F(CViewerDlgTest, VolumeKeysAndControlMDriveTheSound) {
    OpenPlaying();
    CKWWaveManager& wave = m_window->GetWaveManager();
    Press(Qt::Key_M); // without Control: nothing
    EXPECT_FALSE(wave.IsOpen());
    // A volume change switches the sound on.
    Press(Qt::Key_Down);
    EXPECT_EQ(m_window->GetVolume(), 45);
    EXPECT_TRUE(wave.IsOpen());
    EXPECT_EQ(Control<CKWSlider>(QXViewerIds::kVolume).ToolTip()->Text(), "Volume: 45 %");
    for (int i = 0; i < 12; ++i)
        Press(Qt::Key_Down);
    EXPECT_EQ(m_window->GetVolume(), 0);
    EXPECT_EQ(wave.GetVolumePercent(), 0);
    Press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(wave.IsOpen());
    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Up);
    EXPECT_EQ(m_window->GetVolume(), 15);
    EXPECT_EQ(wave.GetVolumePercent(), 120);
    EXPECT_TRUE(wave.IsOpen());
    for (int i = 0; i < 30; ++i)
        Press(Qt::Key_Up);
    EXPECT_EQ(m_window->GetVolume(), 100);
}

TEST_F(CViewerDlgTest, ControlXAsksAndYesSavesThePositionAndStopsEveryEngine) {
    OpenPlaying();
    Press(Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([this] { return KWReadWavFile(m_sound).samples.size() >= 4000; }));
    PauseAt(0.25);
    Press(Qt::Key_X); // without Control: nothing
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(BoxesCaptioned("Confirmation").empty());
    // Control held by its own key press, as the keyboard delivers it; No keeps the window.
    QKeyEvent control(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &control);
    Press(Qt::Key_X);
    ASSERT_EQ(BoxesCaptioned("Confirmation").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("Confirmation")[0].text, "Are you sure to close?");
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "recent.txt"));

    m_boxes.SetAnswer(KWMessageBoxAnswer::kYes);
    const std::uint32_t position = Position();
    Press(Qt::Key_X);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(ReadRecent(), std::to_string(position));
    EXPECT_FALSE(Device().IsRunning());
    EXPECT_EQ(Device().GetSelected(), CQXStorageDeviceManager::kNoSelection);
    EXPECT_EQ(Device().GetDeviceCount(), 0);
    EXPECT_FALSE(m_window->GetWaveManager().IsOpen());
    EXPECT_FALSE(m_window->GetScreenManager().IsRunning());
    const KWWavContents sound = KWReadWavFile(m_sound);
    EXPECT_TRUE(sound.valid);
    EXPECT_GE(sound.samples.size(), 4000u);
}

TEST_F(CViewerDlgTest, WithTheConfirmationOffCloseNeitherAsksNorSavesThePosition) {
    OpenPlaying();
    SetCloseConfirmation(0);
    Button(QXViewerIds::kCancel).click(); // the diagnostics panel's hidden Cancel closes too
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(BoxesCaptioned("Confirmation").empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "recent.txt"));
}

TEST_F(CViewerDlgTest, TheCloseBoxAndTheExitItemAskToo) {
    OpenPlaying();
    m_window->close();
    Item(QXViewerIds::kMenuExit).trigger();
    EXPECT_EQ(BoxesCaptioned("Confirmation").size(), 2u);
    EXPECT_TRUE(m_window->isVisible());
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
    type(Qt::Key_M, "m");
    type(Qt::Key_F6, "");
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_TRUE(WaitUntil([this] { return Device().GetPlayMode() == kPause; }));
    EXPECT_TRUE(m_window->isVisible());

    // L loads an MYS file and then reaches the control.
    ScopedFileChoice cancelled{QString()};
    type(Qt::Key_L, "l");
    EXPECT_EQ(cancelled.requests.size(), 1u);
    EXPECT_EQ(edit->text(), "abl");
}

// In MYS Player mode without a file, the transport and search keys are the control's.
TEST_F(CViewerDlgTest, WithoutAStreamTheTransportKeysPassOn) {
    OpenPlaying();
    {
        ScopedFileChoice cancelled{QString()};
        Press(Qt::Key_F2);
    }
    ASSERT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
    auto* edit = new QLineEdit(m_window.get());
    for (const auto& [key, text] :
         {std::pair{Qt::Key_Space, " "}, std::pair{Qt::Key_7, "7"}, std::pair{Qt::Key_9, "9"}}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(edit, &down);
    }
    EXPECT_EQ(edit->text(), " 79");
    EXPECT_TRUE(BoxesCaptioned("Error").empty()); // no time search
}

// The program itself, ended by a signal as from a terminal or a script, even while it asks its
// start-up question: it closes as a confirmed Close does, with exit code 0, the sound output
// finished and the position saved.
TEST_F(CViewerDlgTest, InterruptAndTerminationCloseTheProgram) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const std::string sound = m_dir / ("program" + std::to_string(signal) + ".wav");
        std::filesystem::remove(m_dir / "recent.txt");
        KWProgram program("cd '" + m_dir.Path().string() +
                          "' && exec env QT_QPA_PLATFORM=offscreen QUADVIEW_DRIVES='" +
                          Data::Disk().path + "' QUADVIEW_AUDIO_OUT='" + sound + "' " +
                          KWBuiltProgram("quadview") + " --audio");
        ASSERT_TRUE(program.IsStarted());
        // The sound output is open from the start; the question follows the disk's detection.
        ASSERT_TRUE(WaitUntil([&] { return KWReadWavFile(sound).valid; }));
        RunEventsFor(1500);
        ASSERT_EQ(::kill(program.Id(), signal), 0);
        ASSERT_TRUE(program.WaitForExit(kGenerousMs));
        EXPECT_EQ(program.Status(), 0) << "a normal exit with code 0";
        EXPECT_TRUE(KWReadWavFile(sound).valid);
        EXPECT_FALSE(ReadRecent().empty());
    }
}

// Without a DVR disk the program tells so in a message box and waits for it; a termination
// request ends it all the same, at once and with exit code 0.
TEST_F(CViewerDlgTest, TerminationEndsTheProgramWhileItsNoDeviceNoticeWaits) {
    KWTestImage blank(m_dir / "blank.img", KWTestImage::CylinderBytes(1));
    KWProgram program("cd '" + m_dir.Path().string() +
                      "' && exec env QT_QPA_PLATFORM=offscreen QUADVIEW_DRIVES='" + blank.Path() +
                      "' " + KWBuiltProgram("quadview") + " 2>&1");
    ASSERT_TRUE(program.IsStarted());
    // The terminal hears why there is no disk right before the detection's notice is shown.
    ASSERT_TRUE(program.WaitForOutput("holds no recorded stream", kGenerousMs)) << program.Output();
    RunEventsFor(kNoticeShowsMs);
    ASSERT_EQ(::kill(program.Id(), SIGTERM), 0);
    ASSERT_TRUE(program.WaitForExit(kPromptExitMs)) << "still running";
    EXPECT_EQ(program.Status(), 0) << program.Output();
}

TEST_F(CViewerDlgTest, TheProgramRefusesAnUnknownOption) {
    const KWProgramRun run =
        KWRunProgram("env QT_QPA_PLATFORM=offscreen QUADVIEW_DRIVES=/dev/null " +
                     KWBuiltProgram("quadview") + " --no-such-option 2>&1");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("no-such-option"), std::string::npos) << run.output;
}
