#include "CKWPlaybackView.h"
#include "KWMediaFixture.h"
#include "KWMessageBoxRecorder.h"
#include "KWQtTestSupport.h"
#include "KWRecordingAudioOutput.h"
#include "KWRunProgram.h"

#include <QProgressDialog>

#include <filesystem>

namespace {
class CKWPlaybackViewTest : public KWMediaFixture {
protected:
    CKWPlaybackViewTest() {
        m_view = new CKWPlaybackView(
            &m_host, [this] { return std::make_unique<KWRecordingAudioOutput>(m_sound, false); });
    }
    void Call(int member, std::vector<KWVariant> arguments) {
        KWVariant result;
        ASSERT_EQ(m_view->Invoke(member, KWDispatchKind::Method, arguments, result), 1);
    }

    KWRecordingAudioOutput::Record m_sound;
    QWidget m_host;
    CKWPlaybackView* m_view;
};
} // namespace

TEST(CKWPlaybackViewFit, KeepsTheAspectRatioCentred) {
    EXPECT_EQ(CKWPlaybackView::FitPicture(QRect(0, 0, 400, 100), 4.0 / 3), QRect(133, 0, 133, 100));
    EXPECT_EQ(CKWPlaybackView::FitPicture(QRect(0, 0, 160, 400), 4.0 / 3), QRect(0, 140, 160, 120));
    EXPECT_EQ(CKWPlaybackView::FitPicture(QRect(10, 20, 320, 240), 4.0 / 3),
              QRect(10, 20, 320, 240));
    EXPECT_EQ(CKWPlaybackView::FitPicture(QRect(0, 0, 50, 50), 0), QRect(0, 0, 50, 50));
}

TEST_F(CKWPlaybackViewTest, DrawsTheShownPictureIntoItsHostAndWaitsWhileMoved) {
    m_host.resize(400, 200);
    m_view->setGeometry(1, 1, 396, 196);
    m_host.show();
    KWVariant ignored;
    m_view->Invoke(KWDispatchId::kFileName, KWDispatchKind::PropertyPut, {Mpeg4Avi()}, ignored);
    Call(KWDispatchId::kOpen, {});
    Call(KWDispatchId::kPause, {});
    Call(KWDispatchId::kSeek, {std::int32_t{2}});
    ASSERT_TRUE(KWProcessEventsUntil([&] {
        auto picture = m_view->Control().Engine().GetPicture();
        return picture && picture->seconds >= 1.99;
    }));
    const QImage shot = m_view->grab().toImage();
    const QRect inside = CKWPlaybackView::FitPicture(m_view->rect(), 4.0 / 3);
    EXPECT_EQ(qGray(shot.pixel(inside.center())), 116) << "frame 50 in the middle";
    EXPECT_EQ(qGray(shot.pixel(2, 100)), 0) << "black beside the picture";

    Call(KWDispatchId::kMoving, {std::int32_t{0}});
    EXPECT_FALSE(m_view->updatesEnabled());
    m_view->setGeometry(1, 1, 200, 100);
    Call(KWDispatchId::kMoving, {std::int32_t{1}});
    EXPECT_TRUE(m_view->updatesEnabled());
}

TEST_F(CKWPlaybackViewTest, ConversionShowsProgressAndReportsFailure) {
    const std::string out = TempPath("view.avi");
    Call(KWDispatchId::kConvertToAvi, {Mpeg4Avi(), out});
    ASSERT_NE(m_view->ConversionProgress(), nullptr);
    EXPECT_TRUE(m_view->ConversionProgress()->isVisible());
    ASSERT_TRUE(KWProcessEventsUntil([&] { return !m_view->ConversionProgress()->isVisible(); }));
    EXPECT_TRUE(m_view->Control().Conversion().Succeeded());
    EXPECT_TRUE(std::filesystem::exists(out));

    KWMessageBoxRecorder boxes;
    Call(KWDispatchId::kConvertToAvi, {std::string(), std::string()});
    ASSERT_TRUE(KWProcessEventsUntil([&] { return !m_view->ConversionProgress()->isVisible(); }));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.caption, CKWPlaybackView::kConversionCaption);
}

TEST_F(CKWPlaybackViewTest, ConvertCommandNeedsNoWindow) {
    const std::string program = KWBuiltProgram("reelback");
    const std::string out = TempPath("command.avi");
    const std::string headless = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    EXPECT_EQ(KWRunProgram(headless + program + " --convert \"" + H264Mp4() + "\" \"" + out + "\"")
                  .status,
              0);
    const std::string probe =
        KWRunProgram("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 \"" + out + "\"")
            .output;
    EXPECT_EQ(probe, "h264\npcm_s16le\n");
    const std::string failure =
        KWRunProgram(headless + program + " --convert \"" + TempPath("missing.av") + "\" \"" +
                     TempPath("x.avi") + "\" 2>&1; echo status=$?")
            .output;
    EXPECT_NE(failure.find("cannot convert"), std::string::npos) << failure;
    EXPECT_NE(failure.find("status=1"), std::string::npos) << failure;
}
