// The 200 ms refresh of the main window's controls, called with chosen times for the blink phase.
#include "QXIconSet.h"
#include "ViewerWindowTestSupport.h"

#include <QLabel>

using namespace ViewerTest;
using namespace QXViewerIds;

namespace {
class CViewerDlgRefreshTest : public WindowFixture {
protected:
    std::vector<int> TransportIcons(const int (&buttons)[5]) {
        std::vector<int> icons;
        for (int id : buttons)
            icons.push_back(Icon(id));
        return icons;
    }
    std::vector<int> Normal() {
        std::vector<int> icons;
        for (const auto& states : QXIconSet::kTransport)
            icons.push_back(states.normal);
        return icons;
    }
    bool Ticked(int id) { return Item(id).isChecked(); }
};
} // namespace

TEST_F(CViewerDlgRefreshTest, OnlyTheButtonOfTheModeBlinksAndOnlyOnOddSeconds) {
    OpenPlaying();
    PauseAt(0.9);
    ASSERT_TRUE(PressAndWaitForMode(Qt::Key_Left, kReverse));
    ASSERT_TRUE(PressAndWaitForMode(Qt::Key_Left, kRewind2));
    ASSERT_TRUE(PressAndWaitForMode(Qt::Key_Left, kRewind4));
    RefreshAt(1);
    std::vector<int> icons = Normal();
    icons[0] = QXIconSet::kFastReverseActive;
    EXPECT_EQ(TransportIcons(kViewerTransport), icons);
    EXPECT_EQ(Control<QLabel>(kViewerStatus).text(), "REW x 4");
    EXPECT_TRUE(Ticked(kMenuViewerFastReverse));
    for (int id : {kMenuViewerReverse, kMenuViewerPause, kMenuViewerPlay, kMenuViewerFastForward,
                   kMenuViewerOneForward, kMenuViewerOneReverse}) {
        EXPECT_FALSE(Ticked(id)) << id;
        EXPECT_TRUE(Item(id).isEnabled()) << id;
    }
    const char* const tips[] = {"Fast Reverse Play", "Reverse Play", "Pause Playback",
                                "Normal Play", "Fast Forward"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Tip(kViewerTransport[i]), tips[i]);
    // A second later every button shows its normal icon.
    RefreshAt(2);
    EXPECT_EQ(TransportIcons(kViewerTransport), Normal());

    // In Viewer mode the MYS group is not available, nor is loading from the menu.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Icon(kMysTransport[i]), QXIconSet::kTransport[i].disabled);
        EXPECT_FALSE(Button(kMysTransport[i]).isEnabled());
        EXPECT_EQ(Tip(kMysTransport[i]), "Not Available");
    }
    EXPECT_FALSE(Item(kMenuLoadMys).isEnabled());
    for (int id : {kMenuEventList, kMenuSearchTime, kMenuSearchStep})
        EXPECT_TRUE(Item(id).isEnabled()) << id;
}

TEST_F(CViewerDlgRefreshTest, ChannelsNotRecordedAreMarkedOffAndTwoOfTwoIsDisabled) {
    ASSERT_FALSE(Data::OddDisk().path.empty()) << Data::OddDisk().error;
    OpenPlaying({Data::OddDisk().path});
    CQXScreenManager4& screen = m_window->GetScreenManager();
    ASSERT_TRUE(WaitUntil([&] { return screen.GetRecordedChannels() == 0x0A; }));
    RefreshAt(1);
    EXPECT_EQ(Icon(kChannelsTwo), QXIconSet::kChannelsTwoDisabled);
    EXPECT_FALSE(Button(kChannelsTwo).isEnabled());
    EXPECT_FALSE(Item(kMenuChannelsTwo).isEnabled());
    EXPECT_EQ(Icon(kChannelsAll), QXIconSet::kChannelsAll);
    EXPECT_EQ(Tip(kChannelsAll), "Show All Channel");
    for (const auto& [id, item, tip] : {std::tuple{kChannel2, kMenuChannel1 + 1, "CH2\nOFF"},
                                        std::tuple{kChannel4, kMenuChannel1 + 3, "CH4\nOFF"}}) {
        EXPECT_EQ(Icon(id), QXIconSet::kChannelNotAvailable);
        EXPECT_EQ(Tip(id), tip);
        EXPECT_FALSE(Item(item).isEnabled());
    }
    EXPECT_EQ(Icon(kChannel1), QXIconSet::kChannel1);
    EXPECT_EQ(Tip(kChannel1), "CH1\nFull Screen");
    EXPECT_EQ(Tip(kChannel3), "CH3\nFull Screen");
    EXPECT_TRUE(Item(kMenuChannel1).isEnabled());

    // Channel 3 alone: its button blinks and its item is ticked and greyed.
    Press(Qt::Key_3);
    ASSERT_TRUE(WaitUntil([&] { return screen.GetDisplayMask() == 0x02; }));
    RefreshAt(3);
    EXPECT_EQ(Icon(kChannel3), QXIconSet::kChannel3Active);
    EXPECT_TRUE(Ticked(kMenuChannel1 + 2));
    EXPECT_FALSE(Item(kMenuChannel1 + 2).isEnabled());
    EXPECT_EQ(Icon(kChannel1), QXIconSet::kChannel1);
    RefreshAt(4);
    EXPECT_EQ(Icon(kChannel3), QXIconSet::kChannel3);
}

TEST_F(CViewerDlgRefreshTest, AllFourShownMakesAllActive) {
    OpenPlaying();
    ASSERT_TRUE(WaitUntil([&] { return m_window->GetScreenManager().GetDisplayMask() == 0x0F; }));
    RefreshAt(5);
    EXPECT_EQ(Icon(kChannelsAll), QXIconSet::kChannelsAllActive);
    EXPECT_TRUE(Ticked(kMenuChannelsAll));
    EXPECT_FALSE(Item(kMenuChannelsAll).isEnabled());
    EXPECT_EQ(Icon(kChannelsTwo), QXIconSet::kChannelsTwo);
    EXPECT_TRUE(Button(kChannelsTwo).isEnabled());
    EXPECT_EQ(Tip(kChannelsTwo), "TWO Recorded Channel");
}

TEST_F(CViewerDlgRefreshTest, TheWorkingModeButtonAndItemsFollowTheMode) {
    OpenPlaying();
    EXPECT_EQ(Tip(kWorkingMode), AsShown("Change working mode to\r\nMYS Player"));
    EXPECT_TRUE(Ticked(kMenuViewerMode));
    EXPECT_FALSE(Item(kMenuViewerMode).isEnabled());
    EXPECT_FALSE(Ticked(kMenuMysMode));
    EXPECT_TRUE(Item(kMenuMysMode).isEnabled());
    SwitchToMysPlaying();
    EXPECT_EQ(Tip(kWorkingMode), AsShown("Change working mode to\r\nViewer"));
    EXPECT_TRUE(Button(kWorkingMode).isEnabled());
    EXPECT_TRUE(Ticked(kMenuMysMode));
    EXPECT_FALSE(Item(kMenuMysMode).isEnabled());
    EXPECT_TRUE(Item(kMenuViewerMode).isEnabled());

    // The MYS group is live, the Viewer group and the searches are not.
    RefreshAt(7);
    EXPECT_EQ(Icon(kMysPlay), QXIconSet::kPlayActive);
    EXPECT_TRUE(Ticked(kMenuMysPlay));
    EXPECT_EQ(Control<QLabel>(kMysStatus).text(), "Playing");
    EXPECT_FALSE(Button(kViewerPlay).isEnabled());
    EXPECT_EQ(Tip(kViewerPlay), "Not Available");
    EXPECT_FALSE(Item(kMenuViewerPlay).isEnabled());
    for (int id : {kMenuEventList, kMenuSearchTime, kMenuSearchStep})
        EXPECT_FALSE(Item(id).isEnabled()) << id;
    EXPECT_TRUE(Item(kMenuLoadMys).isEnabled());
}

TEST_F(CViewerDlgRefreshTest, CaptureButtonsAreOfferedInAPauseOfTheWorkingModesSource) {
    OpenPlaying();
    RefreshAt(8);
    EXPECT_FALSE(Button(kMysCapture).isEnabled());
    EXPECT_EQ(Icon(kMysCapture), QXIconSet::kMysCaptureDisabled);
    EXPECT_EQ(Tip(kMysCapture),
              AsShown("[MYS Capture]\r\nMYS Capture is enabled when PAUSE mode."));
    EXPECT_EQ(Tip(kJpegCapture),
              AsShown("[JPEG Capture]\r\nJPEG Capture is enabled when PAUSE mode."));
    EXPECT_FALSE(Item(kMenuCaptureJpeg).isEnabled());
    PauseAt(0.5);
    RefreshAt(8);
    EXPECT_TRUE(Button(kMysCapture).isEnabled());
    EXPECT_EQ(Icon(kJpegCapture), QXIconSet::kJpegCapture);
    EXPECT_EQ(Tip(kMysCapture),
              AsShown("[JPEG Capture]\r\nPress it to capture stream\r\nas a MYS file."));
    EXPECT_EQ(Tip(kJpegCapture),
              AsShown("[JPEG Capture]\r\nPress it to capture current screen\r\nas a JPEG file."));
    EXPECT_TRUE(Item(kMenuCaptureMys).isEnabled());

    // In MYS Player mode there is no stream capture; a JPEG only from a paused file.
    SwitchToMysPlaying();
    RefreshAt(8);
    EXPECT_FALSE(Button(kMysCapture).isEnabled());
    EXPECT_EQ(Tip(kMysCapture), "");
    EXPECT_FALSE(Item(kMenuCaptureMys).isEnabled());
    EXPECT_FALSE(Button(kJpegCapture).isEnabled());
    Button(kMysPause).click();
    ASSERT_TRUE(WaitUntil([&] { return MysMode() == kPause; }));
    RefreshAt(8);
    EXPECT_TRUE(Button(kJpegCapture).isEnabled());
    EXPECT_TRUE(Item(kMenuCaptureJpeg).isEnabled());
}

TEST_F(CViewerDlgRefreshTest, TheAudioButtonShowsTheSoundAndTheButtonRedrawsAtOnce) {
    OpenPlaying();
    EXPECT_EQ(Icon(kAudio), QXIconSet::kAudioOff);
    EXPECT_EQ(Tip(kAudio), AsShown("Audio Disabled\r\nPress to enable Audio."));
    EXPECT_TRUE(Ticked(kMenuAudioMute));
    Button(kAudio).click();
    EXPECT_TRUE(m_window->GetWaveManager().IsOpen());
    EXPECT_EQ(Icon(kAudio), QXIconSet::kAudioOn);
    EXPECT_EQ(Tip(kAudio), AsShown("Audio Sounding\r\nPress to disable Audio."));
    EXPECT_FALSE(Ticked(kMenuAudioMute));
    // The menu toggles too; its change shows at the next refresh.
    Item(kMenuAudioMute).trigger();
    EXPECT_FALSE(m_window->GetWaveManager().IsOpen());
    EXPECT_EQ(Icon(kAudio), QXIconSet::kAudioOn);
    RefreshAt(9);
    EXPECT_EQ(Icon(kAudio), QXIconSet::kAudioOff);
    // The audio-on command (no item of the menu bar) only switches on.
    m_window->RunCommand(kMenuAudioOn);
    m_window->RunCommand(kMenuAudioOn);
    EXPECT_TRUE(m_window->GetWaveManager().IsOpen());
}

// Each group is drawn from what it shows; a group whose inputs stayed the same is left alone.
TEST_F(CViewerDlgRefreshTest, AGroupIsRedrawnOnlyWhenWhatItShowsChanged) {
    OpenPlaying();
    PauseAt(0.5);
    RefreshAt(10);
    Button(kAudio).SetTooltipText("untouched");
    Button(kViewerPlay).SetTooltipText("untouched");
    Button(kMysCapture).SetTooltipText("untouched");
    RefreshAt(12); // same blink phase, nothing changed
    EXPECT_EQ(Tip(kAudio), "untouched");
    EXPECT_EQ(Tip(kViewerPlay), "untouched");
    EXPECT_EQ(Tip(kMysCapture), "untouched");
    RefreshAt(13); // the blink phase changes the transport, not the audio or capture buttons
    EXPECT_EQ(Tip(kViewerPlay), "Normal Play");
    EXPECT_EQ(Tip(kAudio), "untouched");
    EXPECT_EQ(Tip(kMysCapture), "untouched");
}

TEST_F(CViewerDlgRefreshTest, TheAviButtonIsIdleUntilAnExportRuns) {
    OpenPlaying();
    EXPECT_TRUE(Button(kAviCapture).isEnabled());
    EXPECT_EQ(Icon(kAviCapture), QXIconSet::kAviCapture);
    EXPECT_EQ(Tip(kAviCapture), "[AVI Capture]\nSave Current Stream as an AVI file");
    EXPECT_TRUE(Item(kMenuCaptureAvi).isEnabled());
    RefreshAt(11);
    EXPECT_EQ(Icon(kAviCapture), QXIconSet::kAviCapture);
}
