// The main window's layout: its first size, the control bar of each working mode, its limits and
// the diagnostics panel.
#include "CViewerControls.h"
#include "KWLayoutCheck.h"
#include "QXViewerDiagnostics.h"
#include "ViewerWindowTestSupport.h"

#include <QMenuBar>
#include <QPlainTextEdit>

using namespace ViewerTest;
using namespace QXViewerIds;

namespace {
class CViewerDlgLayoutTest : public WindowFixture {
protected:
    QRect Place(int id) { return Control(id).geometry(); }
    QString Text(int id) { return Control<QPlainTextEdit>(id).toPlainText(); }
    void PressDiagnosticsKeys(std::initializer_list<int> keys) {
        for (int key : keys)
            Press(key);
    }
    // Every control of the mode's group lies inside the group.
    ::testing::AssertionResult GroupHoldsItsControls(int group) {
        const QRect inside = Control(group).rect();
        for (QWidget* child : Control(group).findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!inside.contains(child->geometry()))
                return ::testing::AssertionFailure()
                       << child->objectName().toStdString() << " reaches outside " << group;
        return ::testing::AssertionSuccess();
    }
};
} // namespace

TEST_F(CViewerDlgLayoutTest, TheWindowStartsAt680AtTheOriginWithTheBarBelowTheVideo) {
    OpenPlaying();
    EXPECT_EQ(m_window->size(), QSize(680, 570 + 21));
    EXPECT_EQ(m_window->pos(), QPoint(0, 0));
    const QSize client = m_window->GetClientSize();
    EXPECT_EQ(client.width(), 680);
    EXPECT_EQ(client.height(), 591 - m_window->findChild<QMenuBar*>("131")->height());
    EXPECT_EQ(Place(kVideoArea), QRect(4, 0, client.width() - 12, client.height() - 120));

    // The Viewer group in the bar; the MYS group 80 pixels lower and hidden.
    const int bar = client.height() - 120;
    EXPECT_TRUE(Control(kViewerGroup).isVisible());
    EXPECT_GE(Place(kViewerGroup).top(), bar);
    EXPECT_LE(Place(kViewerGroup).bottom(), client.height());
    EXPECT_FALSE(Control(kMysGroup).isVisible());
    EXPECT_EQ(Place(kMysGroup).top(), Place(kViewerGroup).top() + 80);
    EXPECT_TRUE(KWIsLaidOutCleanly(*m_window));
    EXPECT_TRUE(GroupHoldsItsControls(kViewerGroup));

    SwitchToMysPlaying();
    EXPECT_TRUE(Control(kMysGroup).isVisible());
    EXPECT_FALSE(Control(kViewerGroup).isVisible());
    EXPECT_EQ(Place(kViewerGroup).top(), Place(kMysGroup).top() + 80);
    EXPECT_TRUE(KWIsLaidOutCleanly(*m_window));
    EXPECT_TRUE(GroupHoldsItsControls(kMysGroup));
    EXPECT_TRUE(GroupHoldsItsControls(kFileInformation));
}

TEST_F(CViewerDlgLayoutTest, NeverNarrowerThan652AndEverythingStillFits) {
    OpenPlaying();
    m_window->resize(300, 50);
    EXPECT_EQ(m_window->size(), QSize(652, 120));
    m_window->resize(652, 591);
    ASSERT_TRUE(WaitUntil([this] { return m_window->GetClientSize().width() == 652; }));
    EXPECT_EQ(Place(kVideoArea).width(), 640);
    EXPECT_TRUE(KWIsLaidOutCleanly(*m_window));
    EXPECT_TRUE(GroupHoldsItsControls(kViewerGroup));
    SwitchToMysPlaying();
    EXPECT_TRUE(KWIsLaidOutCleanly(*m_window));
    EXPECT_TRUE(GroupHoldsItsControls(kMysGroup));
}

TEST_F(CViewerDlgLayoutTest, AWiderWindowWidensTheVideoAndTheModeGroup) {
    OpenPlaying();
    const int group = Place(kViewerGroup).width();
    const int slider = Place(kDevicePosition).width();
    m_window->resize(900, 700);
    ASSERT_TRUE(WaitUntil([this] { return m_window->GetClientSize().width() == 900; }));
    const QSize client = m_window->GetClientSize();
    EXPECT_EQ(Place(kVideoArea), QRect(4, 0, 888, client.height() - 120));
    EXPECT_EQ(Place(kViewerGroup).width(), group + 220);
    EXPECT_EQ(Place(kDevicePosition).width(), slider + 220);
    EXPECT_EQ(Place(kAudioGroup).right(), 900 - 5);
    // The screen manager draws into the new area.
    EXPECT_TRUE(WaitUntil([this] {
        return m_window->GetScreenManager().GetLayout().video[QXScreenLayout::kSingle].Width() ==
               Place(kVideoArea).width();
    }));
}

TEST_F(CViewerDlgLayoutTest, FiveFunctionKeysInOrderRevealTheDiagnostics) {
    OpenPlaying();
    const QSize before = m_window->GetClientSize();
    // Out of order the sequence starts again; the keys are used all the same.
    PressDiagnosticsKeys({Qt::Key_F6, Qt::Key_F7, Qt::Key_F9, Qt::Key_F8, Qt::Key_F9, Qt::Key_F10});
    EXPECT_FALSE(m_window->AreDiagnosticsShown());
    EXPECT_FALSE(Control(kDiagnosticsDevices).isVisible());
    EXPECT_FALSE(Control(kCancel).isVisible());
    PressDiagnosticsKeys({Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_F10});
    ASSERT_TRUE(m_window->AreDiagnosticsShown());
    EXPECT_EQ(m_window->size(), QSize(before.width() + 419, 832));
    for (int id : {kDiagnosticsDevices, kDiagnosticsSpare, kDiagnosticsScreen, kDiagnosticsPlayback,
                   kCancel})
        EXPECT_TRUE(Control(id).isVisible()) << id;
    // The video keeps its width; the panel takes the column at the right.
    ASSERT_TRUE(
        WaitUntil([&] { return m_window->GetClientSize().width() == before.width() + 419; }));
    EXPECT_EQ(Place(kVideoArea).width(), before.width() - 12);
    EXPECT_GE(Place(kDiagnosticsDevices).left(), Place(kVideoArea).right());
    EXPECT_TRUE(KWIsLaidOutCleanly(*m_window));

    EXPECT_TRUE(
        Text(kDiagnosticsDevices)
            .startsWith(QString("QX Devices:\t1\n\tdevice:0\tnon IDE [QX Device]\n\t\tsize:\t")));
    EXPECT_TRUE(
        Text(kDiagnosticsDevices).endsWith(QString("\n\t\tvalid:\t%1").arg(m_streamLength)));
    EXPECT_TRUE(Text(kDiagnosticsScreen).startsWith("fps\t"));
    EXPECT_TRUE(Text(kDiagnosticsScreen).contains("\nstat:\tnf:  0,nr:  0,zq:  0,si:"));
    EXPECT_TRUE(Text(kDiagnosticsScreen).contains("\nprimary:\t"));
    EXPECT_TRUE(Text(kDiagnosticsScreen).contains("\ninformation:\n"));
    EXPECT_EQ(Text(kDiagnosticsPlayback),
              "view device index:\t00 [physical id: 00]\nview play mode:\tplay");
    // The panel follows the play mode.
    Press(Qt::Key_Space);
    EXPECT_TRUE(WaitUntil([this] { return Text(kDiagnosticsPlayback).endsWith("pause"); }));
}

TEST(CViewerDlgLayout, DisplayChannelMarks) {
    EXPECT_EQ(QXViewerDiagnostics::ChannelMarks(0x0F),
              "display channel\r\n\tq _ 1 o 2 o 3 o 4 o\r\n");
    EXPECT_EQ(QXViewerDiagnostics::ChannelMarks(0x12),
              "display channel\r\n\tq o 1 _ 2 _ 3 o 4 _\r\n");
}
