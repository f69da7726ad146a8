#include "CPlayerDlg.h"
#include "CKWElidedLabel.h"
#include "CPlayerIcons.h"
#include "CSnapshotSetting.h"
#include "KWMailbox.h"
#include "KWMediaFixture.h"
#include "KWMessageBoxRecorder.h"
#include "KWMessageTarget.h"
#include "KWPlayMode.h"
#include "KWQtTestSupport.h"
#include "KWRecordingAudioOutput.h"
#include "KWScopedEnvironment.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QSlider>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>

namespace {
struct Call {
    int member;
    KWDispatchKind kind;
    std::vector<KWVariant> arguments;
    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const KWVariant& value) {
    std::visit(
        [&out](const auto& held) {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::monostate>) {
                out << "null";
            } else if constexpr (std::is_same_v<Held, std::string>) {
                out << '"' << held << '"';
            } else {
                out << held;
            }
        },
        value);
    return out;
}

void PrintTo(const Call& call, std::ostream* out) {
    *out << call.member << "(";
    for (const KWVariant& argument : call.arguments) {
        *out << argument << " ";
    }
    *out << ")";
}

Call Method(int member, std::vector<KWVariant> arguments = {}) {
    return Call{member, KWDispatchKind::Method, std::move(arguments)};
}

Call Put(int member, KWVariant value) {
    return Call{member, KWDispatchKind::PropertyPut, {std::move(value)}};
}

// The calls that change playback: what the play and speed commands make.
bool IsPlaybackCall(const Call& call) {
    return call.member == KWDispatchId::kPause || call.member == KWDispatchId::kResume ||
           call.member == KWDispatchId::kPlayForward || call.member == KWDispatchId::kPlayBackward;
}

class CPlayerDlgTest : public KWMediaFixture {
protected:
    CPlayerDlgTest() {
        m_dialog = std::make_unique<CPlayerDlg>(
            [this] { return std::make_unique<KWRecordingAudioOutput>(m_sound, false); },
            [this](int member, KWDispatchKind kind, const std::vector<KWVariant>& arguments) {
                m_calls.push_back(Call{member, kind, arguments});
            });
    }

    QLabel* Label(int id) const { return m_dialog->findChild<QLabel*>(QString::number(id)); }
    QToolButton* Button(int id) const {
        return m_dialog->findChild<QToolButton*>(QString::number(id));
    }
    QSlider* Slider(int id) const { return m_dialog->findChild<QSlider*>(QString::number(id)); }
    QString Status() const { return Label(CPlayerDlg::kIdStatus)->text(); }
    int IconOf(int id) const { return Button(id)->property("iconId").toInt(); }
    CZrmp4controlctrl1& Control() const { return *m_dialog->Host()->Control(); }
    CKWPlaybackEngine& Engine() const { return Control().Window()->Control().Engine(); }

    // The playback calls made since the mark, which is then moved on.
    std::vector<Call> PlaybackCalls() {
        std::vector<Call> calls;
        for (std::size_t i = m_mark; i < m_calls.size(); ++i) {
            if (IsPlaybackCall(m_calls[i])) {
                calls.push_back(m_calls[i]);
            }
        }
        m_mark = m_calls.size();
        return calls;
    }
    std::vector<Call> CallsOf(int member) const {
        std::vector<Call> calls;
        for (const Call& call : m_calls) {
            if (call.member == member) {
                calls.push_back(call);
            }
        }
        return calls;
    }

    void Press(int id, const char* status, std::vector<Call> calls) {
        Button(id)->click();
        EXPECT_EQ(Status(), status);
        EXPECT_EQ(PlaybackCalls(), calls);
    }

    void Drop(const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path)),
                      QUrl::fromLocalFile("/other/second.av")});
        // Qt delivers a drop only to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_dialog.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_dialog.get(), &drop);
    }

    bool ControlReplaced() {
        const QPointer<CKWPlaybackView> before = Control().Window();
        KWPostMessage(m_dialog->Host()->WindowHandle(), WM_CONTROL_RESET, 0, 0);
        return KWProcessEventsUntil([&] {
            KWMailbox::ForCurrentThread()->DeliverAll();
            return before.isNull() && Control().Window() != nullptr && m_dialog->IsReopenSet();
        });
    }

    KWTempSettings m_settings;
    KWMessageBoxRecorder m_boxes;
    KWRecordingAudioOutput::Record m_sound;
    std::vector<Call> m_calls;
    std::size_t m_mark = 0;
    std::unique_ptr<CPlayerDlg> m_dialog;
};
} // namespace

TEST_F(CPlayerDlgTest, StartsWithNoFileAndTheSoundOn) {
    EXPECT_EQ(m_dialog->windowTitle(), "Reelplay");
    EXPECT_EQ(Status(), "No File");
    EXPECT_EQ(Label(CPlayerDlg::kIdPositionText)->text(), "00:00:00");
    m_dialog->OpenCommandLine("");
    m_dialog->OpenCommandLine(" ");
    EXPECT_EQ(Status(), "No File");
    EXPECT_TRUE(CallsOf(KWDispatchId::kOpen).empty());

    // Sound off first, then switched on as by the mute button.
    const std::vector<Call> sound = {Put(KWDispatchId::kSound, std::int32_t{0}),
                                     Put(KWDispatchId::kVolume, std::int32_t{7800}),
                                     Put(KWDispatchId::kSound, std::int32_t{1})};
    std::vector<Call> made;
    for (const Call& call : m_calls) {
        if (call.member == KWDispatchId::kSound || call.member == KWDispatchId::kVolume) {
            made.push_back(call);
        }
    }
    EXPECT_EQ(made, sound);
    EXPECT_FALSE(m_dialog->IsMuted());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdMute), CPlayerIcons::kSoundOn);
    EXPECT_EQ(Slider(CPlayerDlg::kIdVolume)->value(), 78);
    EXPECT_EQ(Slider(CPlayerDlg::kIdVolume)->minimum(), 55);
    EXPECT_EQ(Slider(CPlayerDlg::kIdVolume)->maximum(), 100);

    // No-file state: the four file buttons are off with their grey icons, Play stays on.
    const std::pair<int, int> noFile[] = {{CPlayerDlg::kIdFastReverse, 144},
                                          {CPlayerDlg::kIdFastForward, 132},
                                          {CPlayerDlg::kIdPause, 138},
                                          {CPlayerDlg::kIdReverse, 142}};
    for (const auto& [id, icon] : noFile) {
        EXPECT_FALSE(Button(id)->isEnabled()) << id;
        EXPECT_EQ(IconOf(id), icon) << id;
        EXPECT_FALSE(Button(id)->icon().isNull()) << id;
    }
    EXPECT_TRUE(Button(CPlayerDlg::kIdPlay)->isEnabled());
    EXPECT_TRUE(Button(CPlayerDlg::kIdSnapshot)->isEnabled());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdLoadFile), 137);
    for (int command : {32783, 32785, 32776, 32775, 32784, 32781}) {
        EXPECT_FALSE(m_dialog->MenuAction(command)->isEnabled()) << command;
    }
    EXPECT_TRUE(m_dialog->MenuAction(CPlayerDlg::kCmdOpenFile)->isEnabled());

    EXPECT_EQ(Button(CPlayerDlg::kIdLoadFile)->toolTip(), "Load File");
    EXPECT_EQ(Button(CPlayerDlg::kIdFastReverse)->toolTip(), "Fast Reverse Play");
    EXPECT_EQ(Button(CPlayerDlg::kIdSnapshot)->toolTip(), "SnapShot");
    EXPECT_EQ(Button(CPlayerDlg::kIdMute)->toolTip(), "Mute");
}

TEST_F(CPlayerDlgTest, OpeningShowsTheFileAndEnablesTheControls) {
    EXPECT_FALSE(m_dialog->IsPositionTimerActive());
    m_dialog->OpenCommandLine(QString::fromStdString(Mpeg4Avi()));
    EXPECT_EQ(Status(), "PLAY");
    EXPECT_EQ(Label(CPlayerDlg::kIdFilePath)->text(),
              "File Path:\t" + QString::fromStdString(Mpeg4Avi()));
    EXPECT_EQ(Label(CPlayerDlg::kIdTotalTime)->text(), "Total Time:\t00:00:04");
    EXPECT_EQ(Slider(CPlayerDlg::kIdPosition)->maximum(), 4);
    EXPECT_TRUE(m_dialog->IsPositionTimerActive());
    EXPECT_EQ(m_dialog->RememberedPath(), QString::fromStdString(Mpeg4Avi()));
    EXPECT_EQ(IconOf(CPlayerDlg::kIdFastForward), 133);
    EXPECT_EQ(IconOf(CPlayerDlg::kIdFastReverse), 145);
    EXPECT_EQ(IconOf(CPlayerDlg::kIdPause), 139);
    EXPECT_EQ(IconOf(CPlayerDlg::kIdReverse), 143);
    for (int command : {32783, 32785, 32776, 32775, 32784, 32781}) {
        EXPECT_TRUE(m_dialog->MenuAction(command)->isEnabled()) << command;
    }
    EXPECT_EQ(CallsOf(KWDispatchId::kFileName), std::vector<Call>{Put(10, Mpeg4Avi())});
    EXPECT_EQ(CallsOf(KWDispatchId::kCaption),
              std::vector<Call>{Method(30, {std::int32_t{1}, std::uint32_t{0xFFFF00}})});
    EXPECT_TRUE(CallsOf(KWDispatchId::kClose).empty());

    // A second file closes the first; the play mode stays and the status says PLAY.
    Button(CPlayerDlg::kIdPause)->click();
    EXPECT_EQ(Status(), "PAUSE");
    m_dialog->OpenPath(QString::fromStdString(H264Mp4()));
    EXPECT_EQ(CallsOf(KWDispatchId::kClose).size(), 1u);
    EXPECT_EQ(m_dialog->Host()->GetPlayMode(), KWPlayMode::kPause);
    EXPECT_EQ(Status(), "PLAY");
    EXPECT_FALSE(Engine().IsPaused()) << "the new file plays, as the status says";
    EXPECT_EQ(m_dialog->Host()->GetFileName(), H264Mp4());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// A long path is cut in the middle and moves nothing: the audio and information groups keep
// their places, and the label keeps the whole path as its text and tooltip.
TEST_F(CPlayerDlgTest, ALongPathIsShortenedWithoutMovingTheStrip) {
    m_dialog->resize(640, 540);
    m_dialog->show();
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    const auto group = [this](int id) {
        return m_dialog->findChild<QWidget*>(QString::number(id))->geometry();
    };
    const QRect audio = group(CPlayerDlg::kIdAudioGroup);
    const QRect information = group(CPlayerDlg::kIdInformationGroup);

    const std::filesystem::path folder =
        TempPath("a folder of recordings with a name much longer than the window is wide");
    std::filesystem::create_directories(folder);
    const std::string longPath = (folder / "front door camera, first floor.av").string();
    std::filesystem::copy_file(Mpeg4Avi(), longPath,
                               std::filesystem::copy_options::overwrite_existing);
    m_dialog->OpenPath(QString::fromStdString(longPath));
    QApplication::processEvents();

    EXPECT_EQ(group(CPlayerDlg::kIdAudioGroup), audio);
    EXPECT_EQ(group(CPlayerDlg::kIdInformationGroup), information);
    auto* path = m_dialog->findChild<CKWElidedLabel*>(QString::number(CPlayerDlg::kIdFilePath));
    ASSERT_NE(path, nullptr);
    const QString whole = "File Path:\t" + QString::fromStdString(longPath);
    EXPECT_EQ(path->text(), whole);
    EXPECT_EQ(path->toolTip(), whole);
    EXPECT_EQ(path->Caption(), "File Path:");
    EXPECT_TRUE(path->ShownValue().contains(QChar(0x2026))) << path->ShownValue().toStdString();
    EXPECT_TRUE(path->ShownValue().endsWith("floor.av")) << path->ShownValue().toStdString();
}

TEST_F(CPlayerDlgTest, AFileThatCannotBeOpenedIsReported) {
    const std::string foreign = TempPath("foreign.av");
    std::ofstream(foreign) << "no recording";
    const std::string zeros = TempPath("zeros.av");
    std::ofstream(zeros) << std::string(1 << 20, '\0');
    std::size_t boxes = 0;
    for (const std::string& path : {foreign, zeros}) {
        m_dialog->OpenPath(QString::fromStdString(path));
        EXPECT_EQ(Status(), "No File") << path;
        ASSERT_EQ(m_boxes.Count(), ++boxes) << path;
        EXPECT_NE(m_boxes.Boxes().back().request.text.find(path), std::string::npos);
        EXPECT_FALSE(Button(CPlayerDlg::kIdPause)->isEnabled());
        EXPECT_EQ(Label(CPlayerDlg::kIdTotalTime)->text(), "Total Time:\t00:00:00");
    }
}

TEST_F(CPlayerDlgTest, FastForwardCyclesThroughTheSpeedsAndBackToX2) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    Press(CPlayerDlg::kIdPlay, "PLAY", {Method(38), Method(59, {std::int32_t{1}})});
    Press(CPlayerDlg::kIdPlay, "PLAY", {});
    const char* const texts[] = {"FF * 2", "FF * 4", "FF * 8", "FF * 16", "FF * 32", "FF * 2"};
    const std::int32_t steps[] = {2, 3, 4, 5, 6, 2};
    for (int i = 0; i < 6; ++i) {
        Press(CPlayerDlg::kIdFastForward, texts[i], {Method(59, {steps[i]})});
    }
    const char* const reverse[] = {"FR * 2", "FR * 4", "FR * 8", "FR * 16", "FR * 32", "FR * 2"};
    for (int i = 0; i < 6; ++i) {
        Press(CPlayerDlg::kIdFastReverse, reverse[i], {Method(60, {steps[i]})});
    }
    Press(CPlayerDlg::kIdReverse, "Reverse", {Method(60, {std::int32_t{1}})});
    Press(CPlayerDlg::kIdReverse, "Reverse", {});
}

TEST_F(CPlayerDlgTest, FastForwardWhilePausedResumesAtX2) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    Press(CPlayerDlg::kIdPause, "PAUSE", {Method(37)});
    ASSERT_TRUE(Engine().IsPaused());
    Press(CPlayerDlg::kIdPause, "PAUSE", {});
    Press(CPlayerDlg::kIdFastForward, "FF * 2", {Method(38), Method(59, {std::int32_t{2}})});
    EXPECT_FALSE(Engine().IsPaused());
    Press(CPlayerDlg::kIdPause, "PAUSE", {Method(37)});
    Press(CPlayerDlg::kIdFastReverse, "FR * 2", {Method(38), Method(60, {std::int32_t{2}})});
    Press(CPlayerDlg::kIdPause, "PAUSE", {Method(37)});
    Press(CPlayerDlg::kIdReverse, "Reverse", {Method(38), Method(60, {std::int32_t{1}})});
    EXPECT_FALSE(Engine().IsPaused());
}

TEST_F(CPlayerDlgTest, PauseInReverseThenPlayGoesForwardAtNormalSpeed) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    for (int id : {CPlayerDlg::kIdReverse, CPlayerDlg::kIdFastReverse}) {
        Button(id)->click();
        PlaybackCalls();
        Press(CPlayerDlg::kIdPause, "PAUSE", {Method(37)});
        Press(CPlayerDlg::kIdPlay, "PLAY", {Method(38), Method(59, {std::int32_t{1}})});
        EXPECT_FALSE(Engine().IsPaused());
    }
}

TEST_F(CPlayerDlgTest, ArrowKeysPlayFirstAndThenSpeedUp) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    m_dialog->OnRightKey();
    EXPECT_EQ(Status(), "PLAY");
    m_dialog->OnRightKey();
    EXPECT_EQ(Status(), "FF * 2");
    m_dialog->OnRightKey();
    EXPECT_EQ(Status(), "FF * 4");
    m_dialog->OnLeftKey();
    EXPECT_EQ(Status(), "Reverse");
    m_dialog->OnLeftKey();
    EXPECT_EQ(Status(), "FR * 2");
    m_dialog->OnRightKey();
    EXPECT_EQ(Status(), "PLAY");
}

TEST_F(CPlayerDlgTest, CommandsWithoutAFileDoNothingButPlayOpens) {
    PlaybackCalls();
    m_dialog->OnPause();
    m_dialog->OnReverse();
    m_dialog->OnFastForward();
    m_dialog->OnFastReverse();
    EXPECT_EQ(PlaybackCalls(), std::vector<Call>{});
    EXPECT_EQ(Status(), "No File");
    EXPECT_EQ(m_dialog->Host()->GetPlayMode(), KWPlayMode::kNone);

    KWFileDialogAnswers answers({QString::fromStdString(Mpeg4Avi())});
    Button(CPlayerDlg::kIdPlay)->click();
    ASSERT_EQ(answers.Requests().size(), 1u);
    EXPECT_EQ(answers.Requests()[0].kind, KWFileDialogKind::Open);
    EXPECT_EQ(answers.Requests()[0].filter, "av file(*.av);;All Files(*.*)");
    EXPECT_EQ(answers.Requests()[0].defaultSuffix, "av");
    EXPECT_EQ(Status(), "PLAY");
    EXPECT_EQ(m_dialog->Host()->GetPlayMode(), KWPlayMode::kNone) << "opening sets no mode";

    Button(CPlayerDlg::kIdLoadFile)->click(); // cancelled
    EXPECT_EQ(m_dialog->Host()->GetFileName(), Mpeg4Avi());
}

TEST_F(CPlayerDlgTest, PlayAfterAControlReplacementReopensTheDroppedFile) {
    Drop(H264Mp4());
    EXPECT_EQ(m_dialog->RememberedPath(), QString::fromStdString(H264Mp4()));
    EXPECT_EQ(Status(), "PLAY");
    Button(CPlayerDlg::kIdFastForward)->click();
    Button(CPlayerDlg::kIdMute)->click(); // muted: the new control must stay silent
    const QRect hostRect = m_dialog->Host()->geometry();

    ASSERT_TRUE(ControlReplaced());
    EXPECT_EQ(Status(), "PAUSE");
    EXPECT_FALSE(m_dialog->Host()->IsOpen());
    EXPECT_FALSE(Button(CPlayerDlg::kIdPause)->isEnabled());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdFastForward), 132);
    EXPECT_FALSE(Engine().IsSoundOn());
    EXPECT_EQ(Control().Window()->geometry(),
              QRect(2, 2, hostRect.width() - 4, hostRect.height() - 4));
    EXPECT_EQ(Control().Window()->parentWidget(), m_dialog->Host());

    Button(CPlayerDlg::kIdPlay)->click();
    EXPECT_TRUE(m_dialog->Host()->IsOpen());
    EXPECT_EQ(Engine().GetPath(), H264Mp4());
    EXPECT_TRUE(Button(CPlayerDlg::kIdPause)->isEnabled());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdFastForward), 133);
    EXPECT_EQ(m_dialog->Host()->GetPlayMode(), KWPlayMode::kFastForwardFirst);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(CPlayerDlgTest, MuteThenPressingTheVolumeSliderSwitchesTheSoundBackOn) {
    Button(CPlayerDlg::kIdMute)->click();
    EXPECT_TRUE(m_dialog->IsMuted());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdMute), CPlayerIcons::kMuted);
    EXPECT_EQ(Slider(CPlayerDlg::kIdVolume)->value(), 55);
    EXPECT_FALSE(Engine().IsSoundOn());

    QSlider* volume = Slider(CPlayerDlg::kIdVolume);
    volume->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_FALSE(m_dialog->IsMuted());
    EXPECT_EQ(IconOf(CPlayerDlg::kIdMute), CPlayerIcons::kSoundOn);
    EXPECT_EQ(Engine().GetVolume(), volume->value() * 100);
    EXPECT_TRUE(Engine().IsSoundOn());

    volume->setSliderDown(true);
    volume->setSliderPosition(90);
    EXPECT_EQ(Engine().GetVolume(), 9000);
    volume->setSliderDown(false);

    Button(CPlayerDlg::kIdMute)->click();
    Button(CPlayerDlg::kIdMute)->click();
    EXPECT_EQ(Slider(CPlayerDlg::kIdVolume)->value(), 78);
    EXPECT_EQ(Engine().GetVolume(), 7800);
    EXPECT_TRUE(Engine().IsSoundOn());
}

TEST_F(CPlayerDlgTest, PositionFollowsTheTimerAndTheSliderSeeks) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    Button(CPlayerDlg::kIdPause)->click();
    QSlider* position = Slider(CPlayerDlg::kIdPosition);
    position->setSliderDown(true);
    EXPECT_FALSE(m_dialog->IsPositionTimerActive()) << "no tug of war while seeking";
    position->setSliderPosition(3);
    EXPECT_EQ(CallsOf(KWDispatchId::kSeek).back(), Method(54, {std::int32_t{3}}));
    position->setSliderDown(false);
    EXPECT_TRUE(m_dialog->IsPositionTimerActive());
    ASSERT_TRUE(KWProcessEventsUntil([&] { return Engine().GetPosition() >= 2.99; }));
    m_dialog->UpdatePosition();
    EXPECT_EQ(position->value(), 3);
    EXPECT_EQ(Label(CPlayerDlg::kIdPositionText)->text(), "00:00:03");

    position->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(CallsOf(KWDispatchId::kSeek).back(), Method(54, {std::int32_t{0}}));
    ASSERT_TRUE(KWProcessEventsUntil([&] { return Engine().GetPosition() < 0.01; }));
    // The timer itself moves the slider.
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        return Label(CPlayerDlg::kIdPositionText)->text() == "00:00:00" && position->value() == 0;
    }));
}

// Playing into the end (or backwards into the start) leaves the last picture on screen: the
// status says the player is paused there, and Play or Reverse go on from there.
TEST_F(CPlayerDlgTest, RunningIntoTheEndOrTheStartShowsThePlayerPaused) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    for (int press = 0; press < 5; ++press) {
        Button(CPlayerDlg::kIdFastForward)->click();
    }
    EXPECT_EQ(Status(), "FF * 32");
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        KWMailbox::ForCurrentThread()->DeliverAll();
        return Status() == "PAUSE";
    }));
    EXPECT_EQ(m_dialog->Host()->GetPlayMode(), KWPlayMode::kPause);
    EXPECT_EQ(Label(CPlayerDlg::kIdPositionText)->text(), "00:00:03");
    EXPECT_EQ(Slider(CPlayerDlg::kIdPosition)->value(), 3);
    const std::vector<Call> calls = PlaybackCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), Method(37)) << "the component is paused as the status says";

    Press(CPlayerDlg::kIdFastReverse, "FR * 2", {Method(38), Method(60, {std::int32_t{2}})});
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        KWMailbox::ForCurrentThread()->DeliverAll();
        return Status() == "PAUSE";
    }));
    EXPECT_EQ(Label(CPlayerDlg::kIdPositionText)->text(), "00:00:00");
    EXPECT_EQ(PlaybackCalls(), std::vector<Call>{Method(37)});
}

// In fast play the time box follows the pictures, not the once-a-second timer: a run through
// the whole recording at x32, which lasts a fraction of a second, shows each of its seconds.
TEST_F(CPlayerDlgTest, TheTimeBoxShowsTheTimeOfEveryPictureInFastPlay) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    Button(CPlayerDlg::kIdPause)->click();
    Control().Seek(0);
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        auto picture = Engine().GetPicture();
        return picture && picture->seconds < 0.01;
    }));
    std::set<QString> shown;
    QObject::connect(m_dialog->Host(), &CZRMP4CtrlDlg::pictureShown, m_dialog.get(),
                     [&] { shown.insert(Label(CPlayerDlg::kIdPositionText)->text()); });
    for (int press = 0; press < 5; ++press) {
        Button(CPlayerDlg::kIdFastForward)->click();
    }
    // The player was paused before the presses too: the run is over once the last second has
    // been shown and it has paused again at the end.
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        KWMailbox::ForCurrentThread()->DeliverAll();
        return shown.count("00:00:03") != 0 && Status() == "PAUSE";
    }));
    EXPECT_EQ(shown, (std::set<QString>{"00:00:00", "00:00:01", "00:00:02", "00:00:03"}));
}

TEST_F(CPlayerDlgTest, LayoutLeavesTheStripBelowTheHost) {
    m_dialog->resize(700, 500);
    m_dialog->show();
    const int menu = m_dialog->findChild<QMenuBar*>()->geometry().bottom() + 1;
    const QRect host(1, menu + 1, 698, 500 - menu - 1 - 70);
    EXPECT_EQ(m_dialog->Host()->geometry(), host);
    EXPECT_EQ(m_dialog->Host()->LayoutRect(), host);
    EXPECT_EQ(Control().Window()->geometry(), QRect(2, 2, 694, host.height() - 4));
    for (int id : {CPlayerDlg::kIdPlay, CPlayerDlg::kIdMute}) {
        const QRect button(Button(id)->mapTo(m_dialog.get(), QPoint(0, 0)), Button(id)->size());
        EXPECT_GE(button.top(), 500 - 70) << id;
        EXPECT_LE(button.bottom(), 499) << id;
    }
    for (int id : {CPlayerDlg::kIdStatus, CPlayerDlg::kIdFilePath, CPlayerDlg::kIdPositionText}) {
        const QRect text(Label(id)->mapTo(m_dialog.get(), QPoint(0, 0)), Label(id)->size());
        EXPECT_GE(text.top(), 500 - 70) << id;
        EXPECT_LE(text.bottom(), 499) << id;
    }
}

TEST_F(CPlayerDlgTest, EnterOrEscapePutsADetachedHostBack) {
    m_dialog->show();
    CZRMP4CtrlDlg* host = m_dialog->Host();
    const QRect place = host->geometry();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(10, 10), QPointF(10, 10),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Control().Window(), &doubleClick);
    ASSERT_TRUE(host->IsDetached());
    EXPECT_EQ(host->parentWidget(), nullptr);

    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(host, &press);
        EXPECT_TRUE(press.isAccepted());
        EXPECT_FALSE(host->IsDetached());
        EXPECT_EQ(host->parentWidget(), m_dialog.get());
        EXPECT_EQ(host->geometry(), place);
        EXPECT_EQ(Control().Window()->geometry(),
                  QRect(2, 2, place.width() - 4, place.height() - 4));
        QApplication::sendEvent(Control().Window(), &doubleClick);
    }
    EXPECT_TRUE(m_dialog->isVisible()) << "the keys went to the host, not the window";
}

TEST_F(CPlayerDlgTest, SnapshotIsNamedAfterTheRecordingTimeInTheFolderItCreates) {
    const KWScopedEnvironment utc("TZ", "UTC");
    const std::string folder = TempPath("snapshots/new") + "/";
    std::filesystem::remove_all(TempPath("snapshots"));
    ASSERT_TRUE(CSnapshotSetting::Write(QString::fromStdString(folder)));

    // Without a file nothing is written and nothing said.
    Button(CPlayerDlg::kIdSnapshot)->click();
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // The recording started 2008-03-04 05:06:00 UTC; the picture at second 3.
    m_dialog->OpenPath(QString::fromStdString(H264Mp4()));
    Button(CPlayerDlg::kIdPause)->click();
    Control().Seek(3);
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        auto picture = Engine().GetPicture();
        return picture && picture->seconds >= 2.99;
    }));
    EXPECT_FALSE(m_dialog->Notice()->isVisibleTo(m_dialog.get()));
    Button(CPlayerDlg::kIdSnapshot)->click();
    EXPECT_TRUE(std::filesystem::exists(folder + "images-2008-3-4-5-6-3.jpg"));
    // The window says where the picture went.
    EXPECT_TRUE(m_dialog->Notice()->isVisibleTo(m_dialog.get()));
    EXPECT_EQ(m_dialog->Notice()->text(),
              QString::fromStdString("Snapshot saved:\t" + folder + "images-2008-3-4-5-6-3.jpg"));
    EXPECT_EQ(CallsOf(KWDispatchId::kSnapshot).back(),
              Method(14, {std::int32_t{1}, std::int32_t{1}, std::int32_t{255},
                          folder + "images-2008-3-4-5-6-3"}));
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // A folder text without a separator is a name prefix, as stored.
    ASSERT_TRUE(CSnapshotSetting::Write(QString::fromStdString(TempPath("snapshots/shot-"))));
    m_dialog->MenuAction(CPlayerDlg::kCmdSnapshot)->trigger();
    EXPECT_TRUE(std::filesystem::exists(TempPath("snapshots/shot-images-2008-3-4-5-6-3.jpg")));

    // A folder that cannot be made: the lost snapshot is reported.
    const std::string blocker = TempPath("snapshots/file");
    std::ofstream(blocker) << "in the way";
    ASSERT_TRUE(CSnapshotSetting::Write(QString::fromStdString(blocker + "/")));
    Button(CPlayerDlg::kIdSnapshot)->click();
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].request.caption, "SnapShot");
}

TEST_F(CPlayerDlgTest, ConversionCallsMember29EvenWithEmptyPaths) {
    KWModalScript accept([](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
    m_dialog->MenuAction(CPlayerDlg::kCmdToAvi)->trigger();
    ASSERT_EQ(accept.Dialogs(), std::vector<QString>{"CAvToAviDialog"});
    EXPECT_EQ(CallsOf(KWDispatchId::kConvertToAvi),
              std::vector<Call>{Method(29, {std::string(), std::string()})});
    // The component reports its own failure.
    ASSERT_TRUE(KWProcessEventsUntil([&] { return m_boxes.Count() == 1; }));
}

TEST_F(CPlayerDlgTest, ConversionRunsWithProgressAndCancelCallsNothing) {
    const std::string output = TempPath("window.avi");
    std::filesystem::remove(output);
    {
        KWModalScript cancel([](QDialog& dialog) {
            dialog.reject();
            return dialog.result();
        });
        m_dialog->OnToAvi();
    }
    EXPECT_TRUE(CallsOf(KWDispatchId::kConvertToAvi).empty());

    KWModalScript fill([&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("1018")->setText(QString::fromStdString(Mpeg4Avi()));
        dialog.findChild<QLineEdit*>("1020")->setText(QString::fromStdString(output));
        dialog.accept();
        return dialog.result();
    });
    m_dialog->OnToAvi();
    EXPECT_EQ(CallsOf(KWDispatchId::kConvertToAvi),
              std::vector<Call>{Method(29, {Mpeg4Avi(), output})});
    QProgressDialog* progress = Control().Window()->ConversionProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    ASSERT_TRUE(KWProcessEventsUntil([&] { return !progress->isVisible(); }));
    EXPECT_TRUE(Control().Window()->Control().Conversion().Succeeded());
    EXPECT_GT(std::filesystem::file_size(output), 0u);
    // The end is told with the file that was written.
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].request.text, "The recording was converted to\n" + output);
    EXPECT_EQ(m_boxes.Boxes()[0].request.caption, "AV TO AVI");
}

TEST_F(CPlayerDlgTest, SettingAndAboutRunAsModalDialogs) {
    KWModalScript store([](QDialog& dialog) {
        if (auto* folder = dialog.findChild<QLineEdit*>("1020")) {
            folder->setText("typed text");
        }
        dialog.accept();
        return dialog.result();
    });
    m_dialog->MenuAction(CPlayerDlg::kCmdSetting)->trigger();
    m_dialog->MenuAction(CPlayerDlg::kCmdAbout)->trigger();
    EXPECT_EQ(store.Dialogs(), (std::vector<QString>{"CConfigDialog", "CAboutDlg"}));
    EXPECT_EQ(CSnapshotSetting::Read(), "typed text");
}

TEST_F(CPlayerDlgTest, TrayDoubleClickHidesAndShowsAndCloseEndsTheDialog) {
    m_dialog->show();
    m_dialog->OnTrayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(m_dialog->isVisible());
    m_dialog->OnTrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(m_dialog->isVisible());
    m_dialog->OnTrayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(m_dialog->isVisible());
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Hidden without a tray icon, the window could never be reached again.
        m_dialog->showMinimized();
        QApplication::processEvents();
        EXPECT_TRUE(m_dialog->isVisible());
    }

    std::vector<int> finished;
    QObject::connect(m_dialog.get(), &QDialog::finished,
                     [&finished](int result) { finished.push_back(result); });
    ASSERT_EQ(m_dialog->TrayMenu()->actions().size(), 1);
    QAction* close = m_dialog->TrayMenu()->actions()[0];
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(m_dialog->TrayMenu()->defaultAction(), close);
    close->trigger();
    EXPECT_EQ(finished, std::vector<int>{QDialog::Rejected});
    EXPECT_NE(m_dialog->Host(), nullptr) << "only Exit destroys the host first";
}

TEST_F(CPlayerDlgTest, ExitDestroysTheHostThenCloses) {
    m_dialog->OpenPath(QString::fromStdString(Mpeg4Avi()));
    m_dialog->show();
    std::vector<int> finished;
    QObject::connect(m_dialog.get(), &QDialog::finished,
                     [&finished](int result) { finished.push_back(result); });
    m_dialog->MenuAction(CPlayerDlg::kCmdExit)->trigger();
    EXPECT_EQ(m_dialog->Host(), nullptr);
    EXPECT_EQ(finished, std::vector<int>{QDialog::Rejected});
    EXPECT_FALSE(m_dialog->IsPositionTimerActive());
    // Whatever still arrives finds no host and does nothing.
    m_dialog->UpdatePosition();
    m_dialog->OnPlay();
    m_dialog->OnSnapshot();
}

TEST_F(CPlayerDlgTest, MenusCarryTheirShortcuts) {
    const std::pair<int, QKeySequence> keys[] = {
        {CPlayerDlg::kCmdOpenFile, QKeySequence(Qt::Key_F2)},
        {CPlayerDlg::kCmdSetting, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {CPlayerDlg::kCmdToAvi, QKeySequence(Qt::CTRL | Qt::Key_T)},
        {CPlayerDlg::kCmdExit, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {CPlayerDlg::kCmdPause, QKeySequence(Qt::Key_Space)},
        {CPlayerDlg::kCmdSnapshot, QKeySequence(Qt::CTRL | Qt::Key_H)}};
    for (const auto& [command, key] : keys) {
        EXPECT_EQ(m_dialog->MenuAction(command)->shortcut(), key) << command;
        EXPECT_TRUE(m_dialog->actions().contains(m_dialog->MenuAction(command))) << command;
    }
    EXPECT_EQ(m_dialog->MenuAction(CPlayerDlg::kCmdToAvi)->text(), "&ToAvi\t Ctrl+T");
    EXPECT_EQ(m_dialog->MenuAction(CPlayerDlg::kCmdFastReverse)->text(), "Fast &Reverse\t<-");
}
