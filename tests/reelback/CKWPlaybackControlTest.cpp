#include "CKWPlaybackControl.h"
#include "KWMediaFixture.h"
#include "KWRecordingAudioOutput.h"
#include "KWRecordingTarget.h"
#include "KWRunProgram.h"

#include <QImage>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {
class CKWPlaybackControlTest : public KWMediaFixture {
protected:
    CKWPlaybackControlTest()
        : m_control([this] { return std::make_unique<KWRecordingAudioOutput>(m_sound, false); }) {}

    KWVariant Call(int member, std::vector<KWVariant> arguments = {}) {
        KWVariant result;
        EXPECT_EQ(m_control.Invoke(member, KWDispatchKind::Method, arguments, result), 1) << member;
        return result;
    }
    void Put(int member, KWVariant value) {
        KWVariant ignored;
        EXPECT_EQ(m_control.Invoke(member, KWDispatchKind::PropertyPut, {value}, ignored), 1);
    }
    std::int32_t Get(int member) {
        KWVariant result;
        EXPECT_EQ(m_control.Invoke(member, KWDispatchKind::PropertyGet, {}, result), 1);
        return std::get<std::int32_t>(result);
    }
    // The host's open: file name, open, then the caption call.
    std::int32_t HostOpen(const std::string& path) {
        Put(KWDispatchId::kFileName, path);
        const auto opened = std::get<std::int32_t>(Call(KWDispatchId::kOpen));
        Call(KWDispatchId::kCaption, {std::int32_t{1}, std::uint32_t{0xFFFF00}});
        return opened;
    }
    int ShownFrame() {
        auto picture = m_control.Engine().GetPicture();
        return picture ? KWTestMedia::FrameOfShade(*picture->Pixel(5, 5)) : -1;
    }

    KWRecordingAudioOutput::Record m_sound;
    CKWPlaybackControl m_control;
};
} // namespace

TEST_F(CKWPlaybackControlTest, OpenPlayPositionDurationClose) {
    EXPECT_EQ(Get(KWDispatchId::kIsOpen), 0);
    ASSERT_EQ(HostOpen(Mpeg4Avi()), 1);
    EXPECT_EQ(Get(KWDispatchId::kIsOpen), 1);
    EXPECT_TRUE(m_control.IsCaptionOn());
    EXPECT_EQ(m_control.GetCaptionColour(), 0xFFFF00u);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kDuration, {Mpeg4Avi()})),
              KWTestMedia::kSeconds);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kDuration, {H264Mp4()})),
              KWTestMedia::kSeconds);
    Call(KWDispatchId::kSeek, {std::int32_t{2}});
    ASSERT_TRUE(WaitFor([&] { return ShownFrame() >= 50; }));
    EXPECT_GE(std::get<std::int32_t>(Call(KWDispatchId::kPosition)), 2);
    Call(KWDispatchId::kClose);
    EXPECT_EQ(Get(KWDispatchId::kIsOpen), 0);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kPosition)), 0);
}

TEST_F(CKWPlaybackControlTest, ForeignAndDamagedFilesFailCleanly) {
    const std::string foreign = TempPath("foreign.av");
    std::ofstream(foreign) << "not a recording at all";
    EXPECT_EQ(HostOpen(foreign), 0);
    EXPECT_EQ(Get(KWDispatchId::kIsOpen), 0);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kPosition)), 0);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kDuration, {foreign})), 0);
    EXPECT_EQ(std::get<std::int32_t>(Call(KWDispatchId::kPlayForward, {std::int32_t{2}})), 0);
    Call(KWDispatchId::kPause);
    Call(KWDispatchId::kResume);
    Call(KWDispatchId::kSeek, {std::int32_t{3}});
    EXPECT_EQ(std::get<std::int32_t>(
                  Call(KWDispatchId::kSnapshot,
                       {std::int32_t{1}, std::int32_t{1}, std::int32_t{255}, TempPath("none")})),
              0);
    EXPECT_FALSE(std::filesystem::exists(TempPath("none.jpg")));

    // A file cut short in its header.
    const std::string truncated = TempPath("truncated.av");
    std::filesystem::copy_file(H264Mp4(), truncated);
    std::filesystem::resize_file(truncated, 200);
    EXPECT_EQ(HostOpen(truncated), 0);
    EXPECT_EQ(Get(KWDispatchId::kIsOpen), 0);
}

TEST_F(CKWPlaybackControlTest, RefusesUnknownMembersAndWrongArguments) {
    KWVariant result;
    EXPECT_EQ(m_control.Invoke(99, KWDispatchKind::Method, {}, result), 0);
    EXPECT_EQ(
        m_control.Invoke(KWDispatchId::kSeek, KWDispatchKind::Method, {std::string("1")}, result),
        0);
    EXPECT_EQ(m_control.Invoke(KWDispatchId::kSnapshot, KWDispatchKind::Method,
                               {std::int32_t{1}, std::int32_t{1}, std::int32_t{255}}, result),
              0);
    EXPECT_EQ(m_control.Invoke(KWDispatchId::kFileName, KWDispatchKind::PropertyPut,
                               {std::int32_t{1}}, result),
              0);
    EXPECT_EQ(m_control.Invoke(KWDispatchId::kOpen, KWDispatchKind::PropertyGet, {}, result), 0);
}

TEST_F(CKWPlaybackControlTest, VolumeStartsAt7800AndSoundSwitches) {
    EXPECT_EQ(Get(KWDispatchId::kVolume), CKWPlaybackControl::kStartVolume);
    Put(KWDispatchId::kVolume, std::int32_t{5500});
    EXPECT_EQ(Get(KWDispatchId::kVolume), 5500);
    Put(KWDispatchId::kSound, std::int32_t{0});
    EXPECT_EQ(Get(KWDispatchId::kSound), 0);
    Put(KWDispatchId::kSound, std::int32_t{1});
    EXPECT_EQ(Get(KWDispatchId::kSound), 1);
}

TEST_F(CKWPlaybackControlTest, SnapshotHoldsTheShownPicture) {
    ASSERT_EQ(HostOpen(H264Mp4()), 1);
    Call(KWDispatchId::kPause);
    Call(KWDispatchId::kSeek, {std::int32_t{3}});
    ASSERT_TRUE(WaitFor([&] { return ShownFrame() == 75; }));
    const std::string name = TempPath("shots/images-2008-3-4-5-7-30");
    EXPECT_EQ(
        std::get<std::int32_t>(Call(KWDispatchId::kSnapshot,
                                    {std::int32_t{1}, std::int32_t{1}, std::int32_t{255}, name})),
        1);
    QImage saved(QString::fromStdString(name + ".jpg"));
    auto shown = m_control.Engine().GetPicture();
    ASSERT_FALSE(saved.isNull());
    ASSERT_EQ(saved.width(), shown->width);
    ASSERT_EQ(saved.height(), shown->height);
    for (int y = 0; y < shown->height; y += 17) {
        for (int x = 0; x < shown->width; x += 13) {
            EXPECT_NEAR(qGray(saved.pixel(x, y)), shown->Pixel(x, y)[1], 3) << x << "," << y;
        }
    }
    EXPECT_EQ(m_control.Snapshot(2, 1, 255, name), 0) << "only JPEG is offered";
    EXPECT_EQ(m_control.Snapshot(1, 1, 0, name), 0);
}

TEST_F(CKWPlaybackControlTest, StartTimeFromTheContainerElseFromTheFileTime) {
    EXPECT_EQ(std::get<std::uint32_t>(Call(KWDispatchId::kStartTime, {std::monostate{}})), 0u);
    ASSERT_EQ(HostOpen(H264Mp4()), 1);
    // 2008-03-04 05:06:00 UTC.
    EXPECT_EQ(std::get<std::uint32_t>(Call(KWDispatchId::kStartTime, {std::monostate{}})),
              1204607160u);

    const std::string copy = TempPath("dated.av");
    std::filesystem::copy_file(Mpeg4Avi(), copy, std::filesystem::copy_options::overwrite_existing);
    const auto ended = std::chrono::sys_seconds(std::chrono::seconds(1300000000));
    std::filesystem::last_write_time(copy, std::chrono::file_clock::from_sys(ended));
    ASSERT_EQ(HostOpen(copy), 1);
    EXPECT_EQ(std::get<std::uint32_t>(Call(KWDispatchId::kStartTime, {std::monostate{}})),
              1300000000u - KWTestMedia::kSeconds);
}

TEST_F(CKWPlaybackControlTest, OpeningAnotherFileKeepsPlaying) {
    ASSERT_EQ(HostOpen(Mpeg4Avi()), 1);
    Call(KWDispatchId::kPlayForward, {std::int32_t{3}});
    ASSERT_EQ(HostOpen(H264Mp4()), 1);
    EXPECT_EQ(m_control.GetFileName(), H264Mp4());
    ASSERT_TRUE(WaitFor([&] { return m_control.Engine().GetPosition() > 0.2; }));
}

TEST_F(CKWPlaybackControlTest, UndecodableVideoAsksTheHostForANewControl) {
    // Every video packet is garbage: the decoder gives up for good.
    const std::string broken = TempPath("broken.av");
    ASSERT_EQ(KWRunProgram("ffmpeg -v quiet -y -i \"" + Mpeg4Avi() +
                           "\" -c:v mjpeg -bsf:v \"noise=amount=1\" -an -f avi \"" + broken + "\"")
                  .status,
              0);
    KWRecordingTarget parent;
    m_control.SetParentWindow(&parent);
    ASSERT_EQ(HostOpen(broken), 1);
    ASSERT_TRUE(WaitFor([&] { return parent.Count() == 1; }));
    EXPECT_EQ(parent.Received()[0].message, WM_CONTROL_RESET);
    EXPECT_TRUE(m_control.Engine().HasFailed());
    EXPECT_EQ(parent.Count(), 1u) << "asked once only";
}

TEST(CKWPlaybackControlSound, PlaysWithTheRealSoundOutputWhateverDeviceThereIs) {
    CKWPlaybackControl control; // PortAudio: a machine without a sound device plays silently
    KWTempDir folder;
    const std::string path = KWTestMedia::MakeMpeg4Avi(folder / "sound.av");
    control.SetFileName(path);
    ASSERT_EQ(control.OpenFile(), 1);
    ASSERT_TRUE(WaitFor([&] { return control.Engine().GetPosition() >= 0.3; }));
    control.CloseFile();
}
