#include "CQXPictureRestorer.h"
#include "CQXFrameHistory.h"
#include "ShownPictures.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

namespace {
// Coded pictures of `channels` channels in turn, each channel with a key picture every
// `keyPeriod` of its pictures; a frame's place is its index.
class ListHistory : public CQXFrameHistory {
public:
    ListHistory(int frames, int channels, int keyPeriod) {
        std::vector<CQXVideoEncoder> encoders(static_cast<std::size_t>(channels));
        for (int n = 0; n < frames; ++n) {
            const int channel = n % channels;
            const int picture = n / channels;
            CQXVideoEncoder::Options options;
            options.channel = channel;
            bodies.emplace_back();
            encoders[static_cast<std::size_t>(channel)].Encode(
                MakeScene(320, 112, picture % 12, static_cast<unsigned>(channel + 1)).View(),
                picture % keyPeriod == 0, options, bodies.back());
        }
    }

    bool GetPreviousFrame(std::uint64_t place, Frame& previous) override {
        if (place == 0 || place > bodies.size())
            return false;
        const std::uint8_t header = bodies[place - 1][0];
        previous =
            Frame{place - 1, CQXVideoFrame::ChannelOf(header), CQXVideoFrame::IsKeyHeader(header)};
        return true;
    }
    const CQXVideoFrame* LoadFrame(std::uint64_t place) override {
        ++loads;
        return place < bodies.size() && AssembleFrame(m_frame, bodies[place]) ? &m_frame : nullptr;
    }
    // Frame `place` as a reader delivers it.
    CQXVideoFrame& Delivered(std::uint64_t place) {
        EXPECT_TRUE(AssembleFrame(m_target, bodies[place]));
        return m_target;
    }
    // What forward play shows for every frame.
    std::vector<std::string> ForwardPictures() {
        ShownPictures screen;
        std::vector<std::string> pictures;
        for (std::uint64_t place = 0; place < bodies.size(); ++place)
            pictures.push_back(screen.Show(Delivered(place)));
        return pictures;
    }

    std::vector<std::vector<std::uint8_t>> bodies;
    int loads = 0;

private:
    CQXVideoFrame m_frame, m_target;
};

// The restored picture of a frame, named as ShownPictures names pictures.
std::string Restored(CQXPictureRestorer& restorer, ListHistory& history, std::uint64_t place) {
    CQXVideoFrame& frame = history.Delivered(place);
    frame.SetDecodedPicture(restorer.Restore(frame, place, history));
    if (!frame.GetDecodedPicture())
        return "";
    ShownPictures screen;
    return screen.Show(frame);
}
} // namespace

TEST(CQXPictureRestorer, ReversePlayThroughGroupsOfPicturesDecodesEachFrameOnce) {
    // Two channels, a key picture every 20 pictures of each: 40 frames from key to key.
    ListHistory history(120, 2, 20);
    const std::vector<std::string> forward = history.ForwardPictures();
    CQXPictureRestorer restorer;
    for (std::uint64_t place = history.bodies.size(); place-- > 0;)
        ASSERT_EQ(Restored(restorer, history, place), forward[place]) << place;
    EXPECT_EQ(restorer.GetDecodeCount(), history.bodies.size());
    // Again: all from the kept pictures near the start, the rest decoded once more.
    const std::uint64_t before = restorer.GetDecodeCount();
    EXPECT_EQ(Restored(restorer, history, 3), forward[3]);
    EXPECT_EQ(restorer.GetDecodeCount(), before);
}

TEST(CQXPictureRestorer, GroupsLongerThanThePicturesKeptStayTrue) {
    const int pictures = 3 * static_cast<int>(CQXPictureRestorer::kPicturesPerChannel);
    ListHistory history(pictures, 1, pictures);
    const std::vector<std::string> forward = history.ForwardPictures();
    CQXPictureRestorer restorer;
    for (std::uint64_t place = history.bodies.size(); place-- > 0;)
        ASSERT_EQ(Restored(restorer, history, place), forward[place]) << place;
    // Each miss decodes from the key picture up to the frame; the kept pictures then serve
    // the next kPicturesPerChannel frames.
    EXPECT_GT(restorer.GetDecodeCount(), history.bodies.size());
    EXPECT_LE(restorer.GetDecodeCount(), 2 * history.bodies.size());
}

TEST(CQXPictureRestorer, APictureStillHeldIsNotOverwrittenWhenItsPlaceIsReused) {
    const int pictures = 3 * static_cast<int>(CQXPictureRestorer::kPicturesPerChannel);
    ListHistory history(pictures, 1, pictures);
    const std::vector<std::string> forward = history.ForwardPictures();
    CQXPictureRestorer restorer;
    const std::uint64_t last = history.bodies.size() - 1;
    CQXVideoFrame& held = history.Delivered(last);
    const auto picture = restorer.Restore(held, last, history);
    ASSERT_NE(picture, nullptr);
    const std::vector<std::uint8_t> planes = picture->planes;
    // Every earlier frame, which pushes the held picture and many others out of the kept ones.
    for (std::uint64_t place = last; place-- > 0;)
        ASSERT_EQ(Restored(restorer, history, place), forward[place]) << place;
    EXPECT_EQ(picture->planes, planes);
}

TEST(CQXPictureRestorer, AFrameWithoutAKeyPictureBeforeItHasNoTruePicture) {
    // Two channels, key pictures at their pictures 0, 3 and 6; the stream begins after the
    // first two, so frames 1 and 3 (channel 2's pictures 1 and 2) have none before them and
    // frame 5 is channel 2's first key picture.
    ListHistory history(14, 2, 3);
    history.bodies.erase(history.bodies.begin(), history.bodies.begin() + 2);
    const std::vector<std::string> forward = history.ForwardPictures();
    CQXPictureRestorer restorer;
    EXPECT_EQ(Restored(restorer, history, 3), "");
    EXPECT_EQ(Restored(restorer, history, 7), forward[7]);
    restorer.Clear();
    history.loads = 0;
    EXPECT_EQ(Restored(restorer, history, 5), forward[5]);
    EXPECT_EQ(history.loads, 0) << "a key picture needs nothing before it";
}
