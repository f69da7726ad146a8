// The main window's commands through its buttons, menu items, keys and the engines' messages.
#include "CCaptureIndicatorDlg.h"
#include "CDeviceInfoDlg.h"
#include "CDeviceSelectDlg.h"
#include "CEventListDlg.h"
#include "CSearchStepDlg.h"
#include "CSearchTimeDlg.h"
#include "CViewerAboutDlg.h"
#include "CViewerControls.h"
#include "KWVideoAreaWidget.h"
#include "QXIconSet.h"
#include "ViewerWindowTestSupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

#include <fstream>
#include <mutex>

using namespace ViewerTest;
using namespace QXViewerIds;

namespace {
class CViewerDlgCommandsTest : public WindowFixture {
protected:
    // Pauses at `position` (as far as one channel cycle shows it) and tells the window that the
    // device opened there.
    void ReopenAt(std::uint32_t position) {
        Device().SetPlayMode(kPause, kNoTarget);
        ASSERT_TRUE(WaitForMode(kPause));
        ASSERT_EQ(Device().GetDevice(0)->SeekPacket(position), 1);
        Device().PostToListeners(CQXStorageDeviceManager::kMessageDeviceOpened, 0, 0);
        RunEventsFor(100);
    }
    void SetSteps(const QString& hours, const QString& minutes, bool accept = true) {
        ScopedModal modal([&](QDialog& dialog) {
            EXPECT_NE(dynamic_cast<CSearchStepDlg*>(&dialog), nullptr);
            dialog.findChild<QComboBox*>(QString::number(CSearchStepDlg::kIdHourStep))
                ->setCurrentText(hours);
            dialog.findChild<QComboBox*>(QString::number(CSearchStepDlg::kIdMinuteStep))
                ->setCurrentText(minutes);
            return accept ? QDialog::Accepted : QDialog::Rejected;
        });
        Item(kMenuSearchStep).trigger();
    }
    void DoubleClickVideo(const QPoint& at) {
        auto& video = Control<KWVideoAreaWidget>(kVideoArea);
        QMouseEvent click(QEvent::MouseButtonDblClick, at, video.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&video, &click);
    }
};

// The modes the MYS file manager announces while it lives, however briefly they last.
class MysModeLog : public CKWObject {
public:
    explicit MysModeLog(CQXMysFileManager& files) : m_files(files) {
        m_files.AddListenerObject(this);
    }
    ~MysModeLog() override { m_files.RemoveListenerObject(this); }

    void OnListenerPost(std::uint32_t message, KWWParam wParam, KWLParam) override {
        std::lock_guard lock(m_mutex);
        if (message == CQXMysFileManager::kMessagePlayerMode)
            m_modes.push_back(kNone + static_cast<std::uint32_t>(wParam) - 1);
    }
    bool Saw(std::uint32_t mode) const {
        std::lock_guard lock(m_mutex);
        return std::find(m_modes.begin(), m_modes.end(), mode) != m_modes.end();
    }

private:
    CQXMysFileManager& m_files;
    mutable std::mutex m_mutex;
    std::vector<std::uint32_t> m_modes;
};

std::vector<std::string> Files(const std::string& folder, const std::string& extension) {
    std::vector<std::string> files;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == extension)
                files.push_back(entry.path().string());
    return files;
}
} // namespace

TEST_F(CViewerDlgCommandsTest, TheViewerButtonsGoRoundTheirFastModes) {
    OpenPlaying();
    PauseAt(0.1);
    ASSERT_TRUE(ClickAndWaitForMode(kViewerPlay, kPlay));
    for (std::uint32_t mode : {kFastForward2, kFastForward4, kFastForward8, kFastForward16, kPlay})
        ASSERT_TRUE(ClickAndWaitForMode(kViewerFastForward, mode));
    PauseAt(0.9);
    ASSERT_TRUE(ClickAndWaitForMode(kViewerPlay, kPlay));
    for (std::uint32_t mode :
         {kReverse, kRewind2, kRewind4, kRewind8, kRewind16, kRewind32, kReverse})
        ASSERT_TRUE(ClickAndWaitForMode(kViewerFastReverse, mode));
    ASSERT_TRUE(ClickAndWaitForMode(kViewerPause, kPause));
    ASSERT_TRUE(ClickAndWaitForMode(kViewerPause, kPlay));
    ASSERT_TRUE(ClickAndWaitForMode(kViewerReverse, kReverse));
    // The menu's single steps.
    Item(kMenuViewerOneForward).trigger(); // not from reverse play
    RunEventsFor(100);
    EXPECT_EQ(Device().GetPlayMode(), kReverse);
    Item(kMenuViewerPlay).trigger();
    ASSERT_TRUE(WaitForMode(kPlay));
    Item(kMenuViewerOneReverse).trigger();
    ASSERT_TRUE(WaitForMode(kPause));
}

TEST_F(CViewerDlgCommandsTest, SwitchingModesPausesOneSourceAndPlaysTheOther) {
    OpenPlaying();
    ScopedFileChoice choice(QString::fromStdString(Data::Mys()));
    m_window->RunCommand(kWorkingMode);
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
    EXPECT_TRUE(WaitForMode(kPause));
    // Without a file the switch asks for one, in the MYS directory.
    ASSERT_EQ(choice.requests.size(), 1u);
    EXPECT_EQ(choice.requests[0].start.toStdString(), m_dir / "Capture_MYS/");
    EXPECT_EQ(choice.requests[0].filter, "MYS FILE (*.mys);;ALL FILE (*.*)");
    EXPECT_EQ(choice.requests[0].defaultSuffix, "mys");
    ASSERT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    EXPECT_TRUE(Control(kMysGroup).isVisible());
    EXPECT_FALSE(Control(kViewerGroup).isVisible());

    Press(Qt::Key_F2);
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kViewerMode);
    EXPECT_TRUE(WaitForMode(kPlay));
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPause; }));
    EXPECT_TRUE(Control(kViewerGroup).isVisible());
    // Back to MYS: the file that is loaded plays on, no dialog.
    Item(kMenuMysMode).trigger();
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    EXPECT_EQ(choice.requests.size(), 1u);
}

TEST_F(CViewerDlgCommandsTest, LoadingShowsTheFileAndRangesItsSlider) {
    OpenPlaying();
    SwitchToMysPlaying();
    const std::string& path = Data::Mys();
    const auto length = static_cast<std::uint64_t>(std::filesystem::file_size(path));
    EXPECT_EQ(Control<QLabel>(kFileName).text(),
              "File Name:\t" + QString::fromStdString(std::filesystem::path(path).filename()));
    EXPECT_EQ(Control<QLabel>(kFileSize).text(), CViewerControls::FileSizeText(length));
    EXPECT_EQ(Control<CKWSlider>(kMysPosition).maximum(), static_cast<int>(length));
    // The slider follows the file, and a click on it shows the file from there and holds.
    CKWSlider& slider = Control<CKWSlider>(kMysPosition);
    EXPECT_TRUE(WaitUntil([&] { return slider.value() > 0; }));
    const QRect channel = slider.ChannelRect();
    const QPointF early(channel.left() + 0.1 * channel.width(), channel.center().y());
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, early, slider.mapToGlobal(early), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }
    EXPECT_TRUE(WaitUntil([&] { return MysMode() == kPause; }));
    RunEventsFor(100);
    EXPECT_LT(slider.value(), static_cast<int>(length / 3)); // one channel cycle on
    EXPECT_EQ(slider.ToolTip()->Text(), QString("MYS Stream Position: %1").arg(slider.value()));

    // A file that cannot be opened is said so and leaves no file loaded.
    ScopedFileChoice missing(QString::fromStdString(m_dir / "missing.mys"));
    Button(kLoadMys).click();
    const auto errors = BoxesCaptioned("Local Playback Start Error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find("missing.mys"), std::string::npos);
    EXPECT_EQ(Control<QLabel>(kFileName).text(), "No File Loaded");
    EXPECT_FALSE(Mys().IsPlaying());
}

TEST(CViewerDlgCommands, FileSizesInBytesKilobytesAndMegabytes) {
    EXPECT_EQ(CViewerControls::FileSizeText(1024), "File Size:\t1024.00 Bytes");
    EXPECT_EQ(CViewerControls::FileSizeText(1025), "File Size:\t1.00 KBytes");
    EXPECT_EQ(CViewerControls::FileSizeText(1048576), "File Size:\t1024.00 KBytes");
    EXPECT_EQ(CViewerControls::FileSizeText(3 * 1048576 + 524288), "File Size:\t3.50 MBytes");
}

TEST_F(CViewerDlgCommandsTest, TheMysPauseButtonDoesNotResumeButSpaceDoes) {
    OpenPlaying();
    SwitchToMysPlaying();
    RefreshAt(1);
    Button(kMysPause).click();
    ASSERT_TRUE(WaitUntil([this] { return MysMode() == kPause; }));
    Button(kMysPause).click();
    RunEventsFor(100);
    EXPECT_EQ(MysMode(), kPause);
    Press(Qt::Key_Space);
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    // Reverse play (near the file's start it soon turns into a single step and a pause).
    MysModeLog modes(Mys());
    Button(kMysReverse).click();
    EXPECT_TRUE(WaitUntil([&] { return modes.Saw(kReverse); }));
    Item(kMenuMysPlay).trigger();
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    // Right and Left: x2 and back to play.
    Press(Qt::Key_Right);
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kFastForward2; }));
    Press(Qt::Key_Left);
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    Press(Qt::Key_PageDown);
    EXPECT_TRUE(WaitUntil([this] { return MysMode() == kPause; }));
    // The device stayed paused meanwhile.
    EXPECT_EQ(Device().GetPlayMode(), kPause);
}

TEST_F(CViewerDlgCommandsTest, ChannelCommandsAndTheTwoChannelCycle) {
    OpenPlaying();
    ASSERT_TRUE(
        WaitUntil([this] { return m_window->GetScreenManager().GetRecordedChannels() == 0x0F; }));
    RefreshAt(0);
    Button(kChannel2).click();
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFD);
    Item(kMenuChannel1 + 3).trigger();
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xF7);
    Press(Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFB);
    Button(kChannelsAll).click();
    EXPECT_EQ(m_window->GetDisplayRequest(), 0);

    // The two-channel command goes round six pairs and goes on where it stopped, also after
    // other channel commands.
    const std::vector<std::uint8_t> pairs = {0xFC, 0xFA, 0xF6, 0xF9, 0xF5, 0xF3};
    std::vector<std::uint8_t> seen;
    for (int i = 0; i < 7; ++i) {
        Press(Qt::Key_6);
        seen.push_back(m_window->GetDisplayRequest());
        Press(i % 2 ? Qt::Key_1 : Qt::Key_5);
    }
    Button(kChannelsTwo).click();
    seen.push_back(m_window->GetDisplayRequest());
    Item(kMenuChannelsTwo).trigger();
    seen.push_back(m_window->GetDisplayRequest());
    const auto first = std::find(pairs.begin(), pairs.end(), seen[0]);
    ASSERT_NE(first, pairs.end());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], pairs[(static_cast<std::size_t>(first - pairs.begin()) + i) % 6]) << i;

    // While paused the held picture is read again in the new layout: one cycle forward.
    PauseAt(0.5);
    const std::uint32_t paused = Position();
    Press(Qt::Key_1);
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFE);
    EXPECT_TRUE(WaitUntil([&] { return Position() > paused && Device().GetPlayMode() == kPause; }));
}

TEST(CViewerDlgCommands, ADoubleClickPicksTheQuadrantInsideItsOpenRanges) {
    const QSize video(600, 400); // W = 608: halves at 304; H halves at 200
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({5, 1}, video), 1);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({303, 199}, video), 1);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({305, 1}, video), 2);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({607, 199}, video), 2);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({5, 201}, video), 3);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({5, 399}, video), 3);
    EXPECT_EQ(CViewerDlg::ChannelAtPoint({500, 300}, video), 4);
    // The borders between and around the quadrants select nothing.
    for (const QPoint point : {QPoint(4, 100), QPoint(304, 100), QPoint(608, 100), QPoint(100, 0),
                               QPoint(100, 200), QPoint(100, 400)})
        EXPECT_EQ(CViewerDlg::ChannelAtPoint(point, video), 0) << point.x() << "," << point.y();
}

TEST_F(CViewerDlgCommandsTest, ADoubleClickShowsTheQuadrantsChannelAndAnotherShowsAllAgain) {
    OpenPlaying();
    ASSERT_TRUE(
        WaitUntil([this] { return m_window->GetScreenManager().GetRecordedChannels() == 0x0F; }));
    const QSize video = Control(kVideoArea).size();
    // Bottom right, in the video area's own coordinates (it starts 4 pixels into the client).
    DoubleClickVideo({video.width() - 20, video.height() - 20});
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xF7);
    DoubleClickVideo({20, 20});
    EXPECT_EQ(m_window->GetDisplayRequest(), 0);
    DoubleClickVideo({20, 20});
    EXPECT_EQ(m_window->GetDisplayRequest(), 0xFE);
}

TEST_F(CViewerDlgCommandsTest, TheVolumeSliderAndTheVolumeItems) {
    OpenPlaying();
    CKWSlider& volume = Control<CKWSlider>(kVolume);
    const QRect channel = volume.ChannelRect();
    const QPointF at(channel.left() + 0.35 * channel.width(), channel.center().y());
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, volume.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&volume, &event);
    }
    // The slider's notification is posted: it arrives through the window's event loop.
    ASSERT_TRUE(WaitUntil([this] { return m_window->GetWaveManager().IsOpen(); }));
    EXPECT_EQ(m_window->GetVolume(), 35);
    EXPECT_EQ(m_window->GetWaveManager().GetVolumePercent(), 280);
    EXPECT_EQ(volume.ToolTip()->Text(), "Volume: 35 %");
    EXPECT_EQ(Icon(kAudio), QXIconSet::kAudioOn);

    m_window->RunCommand(kMenuVolumeUp);
    EXPECT_EQ(m_window->GetVolume(), 40);
    m_window->GetWaveManager().Close();
    Item(kMenuVolumeDown).trigger();
    EXPECT_EQ(m_window->GetVolume(), 35);
    EXPECT_TRUE(m_window->GetWaveManager().IsOpen());
}

TEST_F(CViewerDlgCommandsTest, TheDeviceSliderSeeksAndIgnoresPositionsWhileHeld) {
    OpenPlaying();
    CKWSlider& slider = Control<CKWSlider>(kDevicePosition);
    EXPECT_EQ(slider.maximum(), static_cast<int>(m_streamLength) - 10);
    ASSERT_TRUE(WaitUntil([&] { return slider.value() > 0; })); // it follows the stream
    EXPECT_TRUE(slider.ToolTip()->Text().startsWith("QX Stream Device\nStream Position: "));

    // A press at the middle jumps there and holds.
    const QRect channel = slider.ChannelRect();
    const QPointF middle(channel.left() + channel.width() / 2.0, channel.center().y());
    QMouseEvent press(QEvent::MouseButtonPress, middle, slider.mapToGlobal(middle), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &press);
    const int target = slider.value();
    const auto beyond = [&](int packets) { return static_cast<std::uint32_t>(target + packets); };
    EXPECT_TRUE(
        WaitUntil([&] { return Device().GetPlayMode() == kPause && Position() >= beyond(0); }));
    EXPECT_EQ(slider.ToolTip()->Text(),
              AsShown(QString("QX Stream Device\r\nStream Position: %1 KB").arg(target)));
    // Held: the stream plays on but the thumb stays under the pointer.
    Press(Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return Position() > beyond(20); }));
    EXPECT_EQ(slider.value(), target);
    // The release tells the final place once more: the stream goes back there and holds.
    QMouseEvent release(QEvent::MouseButtonRelease, middle, slider.mapToGlobal(middle),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &release);
    EXPECT_TRUE(
        WaitUntil([&] { return Device().GetPlayMode() == kPause && Position() < beyond(20); }));
    // Let go, the thumb follows the stream again.
    Press(Qt::Key_Space);
    EXPECT_TRUE(WaitUntil([&] { return slider.value() > target + 20; }));
}

TEST_F(CViewerDlgCommandsTest, ADeviceOpenedBelowPosition101AsksForTheRecentPosition) {
    OpenPlaying();
    ASSERT_EQ(BoxesCaptioned("Recent Position").size(), 1u); // at the start, position 0
    ReopenAt(101);
    EXPECT_EQ(BoxesCaptioned("Recent Position").size(), 1u);
    EXPECT_EQ(Device().GetPlayMode(), kPause);
    ReopenAt(100);
    EXPECT_EQ(BoxesCaptioned("Recent Position").size(), 2u);
    EXPECT_TRUE(WaitForMode(kPlay)); // No plays on

    // Yes goes to the position saved in recent.txt, then plays.
    const std::uint32_t saved = m_streamLength / 2;
    std::ofstream(m_dir / "recent.txt") << saved;
    m_boxes.SetAnswer(KWMessageBoxAnswer::kYes);
    ReopenAt(50);
    EXPECT_EQ(BoxesCaptioned("Recent Position").size(), 3u);
    EXPECT_TRUE(WaitUntil([&] { return Device().GetPlayMode() == kPlay && Position() >= saved; }));
}

TEST_F(CViewerDlgCommandsTest, TheRecentPositionItemJumpsToTheSavedPosition) {
    OpenPlaying();
    const std::uint32_t saved = m_streamLength * 3 / 4;
    std::ofstream(m_dir / "recent.txt") << saved;
    Item(kMenuRecentPosition).trigger();
    EXPECT_TRUE(WaitUntil([&] { return Device().GetPlayMode() == kPlay && Position() >= saved; }));
}

TEST_F(CViewerDlgCommandsTest, NumberKeysStepTheSearchTimeFromThePictureOnScreen) {
    OpenPlaying();
    ASSERT_TRUE(WaitUntil([this] { return m_window->GetScreenManager().GetDateTime().IsValid(); }));
    // 12:00 plus a minute step of 10: 12:10, not recorded on a disk of one minute.
    Press(Qt::Key_9);
    auto shown = BoxesCaptioned("");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "2026/12/01 00:10 PM"); // noon shows as 00
    ASSERT_EQ(BoxesCaptioned("Error").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("Error")[0].text,
              "2026/12/01 12:10 isn't presence\nOR Read HDD Error");
    Press(Qt::Key_7, Qt::KeypadModifier); // an hour back
    shown = BoxesCaptioned("");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "2026/12/01 11:00 AM");

    // The steps are set in their dialog, only with OK.
    SetSteps("06", "30", false);
    EXPECT_EQ(CViewerDlg::GetHourStep(), 1);
    SetSteps("06", "30");
    EXPECT_EQ(CViewerDlg::GetHourStep(), 6);
    EXPECT_EQ(CViewerDlg::GetMinuteStep(), 30);
    Press(Qt::Key_8);
    shown = BoxesCaptioned("");
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text, "2026/12/01 06:00 PM"); // 18:00
    SetSteps("01", "10");                            // as the program starts
    EXPECT_EQ(CViewerDlg::GetMinuteStep(), 10);
}

TEST_F(CViewerDlgCommandsTest, SearchTimeGoesToTheChosenTime) {
    OpenPlaying();
    ScopedModal modal([](QDialog& dialog) {
        EXPECT_NE(dynamic_cast<CSearchTimeDlg*>(&dialog), nullptr);
        dialog.findChild<QDateEdit*>(QString::number(CSearchTimeDlg::kIdDate))
            ->setDate(QDate(2026, 12, 1));
        dialog.findChild<QComboBox*>(QString::number(CSearchTimeDlg::kIdHalfDay))
            ->setCurrentText("PM");
        dialog.findChild<QComboBox*>(QString::number(CSearchTimeDlg::kIdHour))
            ->setCurrentText("00");
        dialog.findChild<QComboBox*>(QString::number(CSearchTimeDlg::kIdMinute))
            ->setCurrentText("00");
        return QDialog::Accepted;
    });
    PauseAt(0.8);
    Item(kMenuSearchTime).trigger();
    ASSERT_EQ(BoxesCaptioned("").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("")[0].text, "2026/12/01 00:00 PM");
    EXPECT_TRUE(BoxesCaptioned("Error").empty());
    // The whole minute is recorded: the search lands within it, before where it was paused.
    EXPECT_TRUE(WaitUntil([&] { return Position() < m_streamLength * 7 / 10; }));
    EXPECT_TRUE(WaitForMode(kPause));
}

TEST_F(CViewerDlgCommandsTest, ADateTheRecorderCannotHoldIsRefused) {
    OpenPlaying();
    ScopedModal modal([](QDialog& dialog) {
        dialog.findChild<QDateEdit*>(QString::number(CSearchTimeDlg::kIdDate))
            ->setDate(QDate(1999, 12, 31));
        return QDialog::Accepted;
    });
    Item(kMenuSearchTime).trigger();
    ASSERT_EQ(BoxesCaptioned("Search Time").size(), 1u);
    EXPECT_TRUE(BoxesCaptioned("").empty());
}

TEST_F(CViewerDlgCommandsTest, TheEventListJumpsToTheChosenEvent) {
    OpenPlaying();
    std::size_t listed = 0;
    ScopedModal modal([&](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QString::number(CEventListDlg::kIdList));
        EXPECT_NE(list, nullptr);
        listed = static_cast<std::size_t>(list->count());
        list->setCurrentRow(0);
        dialog.accept();
        return dialog.result();
    });
    Item(kMenuEventList).trigger();
    EXPECT_EQ(listed, static_cast<std::size_t>(TestDisk::kEvents));
    EXPECT_TRUE(WaitForMode(kPause));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "text.txt"));
}

TEST_F(CViewerDlgCommandsTest, MysCaptureFromAPauseRecordsUntilStopped) {
    OpenPlaying();
    Button(kMysCapture).click(); // disabled while playing: nothing
    m_window->RunCommand(kMysCapture);
    ASSERT_EQ(BoxesCaptioned("MYS Stream Capture Error").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("MYS Stream Capture Error")[0].text,
              "The MYS stream capture is enabled when the viewer is in PAUSE mode.\r\n\r\n"
              "Find the position you want to start capturing,\r\n"
              "make sure that the viewer is in PAUSE mode\r\nand try again.");

    PauseAt(0.5);
    RefreshAt(0);
    const std::uint32_t start = Position();
    bool indicated = false;
    ScopedModal modal([&](QDialog& dialog) {
        indicated = dynamic_cast<CCaptureIndicatorDlg*>(&dialog) != nullptr;
        // The stream plays while the capture runs.
        EXPECT_TRUE(WaitUntil([&] { return Position() > start + 20; }));
        // Loading a file while capturing is warned about.
        ScopedFileChoice cancelled{QString()};
        m_window->RunCommand(kMenuLoadMys);
        return QDialog::Rejected; // "Stop Capturing"
    });
    Item(kMenuCaptureMys).trigger();
    EXPECT_TRUE(indicated);
    EXPECT_EQ(Device().GetPlayMode(), kPause);
    const auto notes = BoxesCaptioned("MYS Stream Capture");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].text, m_dir / "Capture_MYS/");
    EXPECT_EQ(notes[1].text, "An MYS file was created.\r\nYou can find the file in the\r\n"
                             "capture directory.");
    const auto captured = Files(m_dir / "Capture_MYS", ".mys");
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(captured[0]), 10000u);
    ASSERT_EQ(BoxesCaptioned("Local Playback Start Error").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("Local Playback Start Error")[0].text,
              "Sorry,\r\nCannot start MYS playback\r\nwhile the application is capturing\r\n"
              "incoming stream.");
}

TEST_F(CViewerDlgCommandsTest, AMysCaptureThatCannotStartSaysSoInsteadOfReportingAFile) {
    OpenPlaying();
    std::ofstream(m_dir / "file") << "x";
    m_window->GetConfiguration().GetEntry(CConfigFileManager::kMysDirectory)->text =
        m_dir / "file/capture";
    PauseAt(0.5);
    int modals = 0;
    ScopedModal modal([&](QDialog&) {
        ++modals;
        return QDialog::Rejected;
    });
    m_window->RunCommand(kMysCapture);
    EXPECT_EQ(modals, 0);
    ASSERT_EQ(BoxesCaptioned("MYS Stream Capture Error").size(), 1u);
    EXPECT_NE(BoxesCaptioned("MYS Stream Capture Error")[0].text.find("file/capture"),
              std::string::npos);
    EXPECT_EQ(BoxesCaptioned("MYS Stream Capture").size(), 1u); // the directory, nothing more
}

TEST_F(CViewerDlgCommandsTest, JpegCaptureFromAPauseOfEitherSource) {
    OpenPlaying();
    m_window->RunCommand(kJpegCapture);
    ASSERT_EQ(BoxesCaptioned("JPEG Capture Error").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("JPEG Capture Error")[0].text,
              "JPEG capture is enabled when the viewer is in PAUSE mode.\r\n\r\n"
              "Find the position you want to capture,\r\n"
              "make sure that the viewer is in PAUSE mode\r\nand try again.");
    PauseAt(0.5);
    RefreshAt(0);
    Item(kMenuCaptureJpeg).trigger();
    EXPECT_EQ(Files(m_dir / "Capture_MYS", ".jpg").size(), 1u);

    SwitchToMysPlaying();
    Press(Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([this] { return MysMode() == kPause; }));
    m_window->RunCommand(kJpegCapture);
    EXPECT_EQ(Files(m_dir / "Capture_MYS", ".jpg").size(), 2u);
    EXPECT_EQ(BoxesCaptioned("JPEG Capture Error").size(), 1u);
}

TEST_F(CViewerDlgCommandsTest, EngineErrorsAreShown) {
    OpenPlaying();
    Mys().PostToListeners(CQXMysRecorder::kMessageError, 0, 0);
    Mys().PostToListeners(CQXMysPlayer::kMessageError, 7, 0);
    EXPECT_TRUE(WaitUntil([this] { return !BoxesCaptioned("Playback Error").empty(); }));
    ASSERT_EQ(BoxesCaptioned("Capturing Error").size(), 1u);
    EXPECT_EQ(BoxesCaptioned("Capturing Error")[0].text, "Error occurred while capturing.");
    EXPECT_EQ(BoxesCaptioned("Capturing Error")[0].flags,
              KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    EXPECT_EQ(BoxesCaptioned("Playback Error")[0].text, "Error occurred while playback.");
}

TEST_F(CViewerDlgCommandsTest, DeviceDialogsAboutAndAlwaysOnTop) {
    ASSERT_FALSE(Data::OddDisk().path.empty()) << Data::OddDisk().error;
    OpenPlaying({Data::Disk().path, Data::OddDisk().path});
    std::vector<std::string> shown;
    ScopedModal modal([&](QDialog& dialog) -> int {
        shown.push_back(dialog.objectName().toStdString());
        if (dynamic_cast<CDeviceSelectDlg*>(&dialog)) {
            dialog.findChild<QListWidget*>(QString::number(CDeviceSelectDlg::kIdList))
                ->setCurrentRow(1);
            dialog.accept();
            return dialog.result();
        }
        return QDialog::Accepted;
    });
    Button(kDeviceInfo).click();
    Item(kMenuAbout).trigger();
    Button(kSelectDevice).click();
    EXPECT_EQ(shown, (std::vector<std::string>{"156", "100", "157"}));
    EXPECT_EQ(Device().GetSelected(), 1);
    EXPECT_TRUE(WaitUntil([this] { return Device().GetPlayMode() == kPlay; }));
    EXPECT_EQ(m_window->GetDisplayRequest(), 0);

    Item(kMenuAlwaysOnTop).trigger();
    EXPECT_TRUE(m_window->IsAlwaysOnTop());
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Item(kMenuAlwaysOnTop).isChecked());
    EXPECT_TRUE(m_window->isVisible());
    Item(kMenuAlwaysOnTop).trigger();
    EXPECT_FALSE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(Item(kMenuAlwaysOnTop).isChecked());
}

TEST_F(CViewerDlgCommandsTest, CancellingTheDeviceSelectionPlaysTheDeviceAgain) {
    ASSERT_FALSE(Data::OddDisk().path.empty()) << Data::OddDisk().error;
    OpenPlaying({Data::Disk().path, Data::OddDisk().path});
    ScopedModal modal([&](QDialog&) { return QDialog::Rejected; });
    Button(kSelectDevice).click();
    EXPECT_EQ(Device().GetSelected(), 0);
    EXPECT_TRUE(WaitForMode(kPlay));
}
