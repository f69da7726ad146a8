#include "QXViewerTransport.h"
#include "QXPlayMode.h"

#include <gtest/gtest.h>

#include <vector>

using namespace QXPlayMode;

namespace {
std::vector<std::uint32_t> Presses(std::uint32_t (*command)(std::uint32_t), std::uint32_t mode,
                                   int count) {
    std::vector<std::uint32_t> modes;
    for (int i = 0; i < count; ++i)
        modes.push_back(mode = command(mode));
    return modes;
}
} // namespace

TEST(QXViewerTransport, ForwardCyclesToX10AndReverseToX16ThenBackToTheirPlayModes) {
    EXPECT_EQ(Presses(QXViewerTransport::FastForward, kPlay, 5),
              (std::vector<std::uint32_t>{kFastForward2, kFastForward4, kFastForward8,
                                          kFastForward16, kPlay}));
    EXPECT_EQ(Presses(QXViewerTransport::FastReverse, kPlay, 7),
              (std::vector<std::uint32_t>{kReverse, kRewind2, kRewind4, kRewind8, kRewind16,
                                          kRewind32, kReverse}));
}

TEST(QXViewerTransport, TheOppositeDirectionSlowsAFastModeDownOneStep) {
    EXPECT_EQ(Presses(QXViewerTransport::FastReverse, kFastForward32, 5),
              (std::vector<std::uint32_t>{kFastForward16, kFastForward8, kFastForward4,
                                          kFastForward2, kPlay}));
    EXPECT_EQ(Presses(QXViewerTransport::FastForward, kRewind32, 5),
              (std::vector<std::uint32_t>{kRewind16, kRewind8, kRewind4, kRewind2, kPlay}));
    // The fastest modes are never entered from the keys; from them one press goes to play.
    EXPECT_EQ(QXViewerTransport::FastForward(kFastForward64), kPlay);
    EXPECT_EQ(QXViewerTransport::FastReverse(kFastForward64), kReverse);
    EXPECT_EQ(QXViewerTransport::FastForward(kRewind64), kPlay);
    EXPECT_EQ(QXViewerTransport::FastReverse(kRewind64), kReverse);
}

TEST(QXViewerTransport, SingleStepsAndPauseResumeWhereTheTableSays) {
    for (std::uint32_t mode : {kOneForward, kOneReverse, kPause}) {
        EXPECT_EQ(QXViewerTransport::FastForward(mode), kPlay);
        EXPECT_EQ(QXViewerTransport::FastReverse(mode), mode == kOneReverse ? kRewind2 : kReverse);
    }
    for (std::uint32_t mode = kOneForward; mode <= kRewind64; ++mode)
        EXPECT_EQ(QXViewerTransport::Pause(mode), kPause) << Name(mode);
    EXPECT_EQ(QXViewerTransport::Pause(kPause), kPlay);
    // Without a stream nothing moves.
    EXPECT_EQ(QXViewerTransport::Pause(kNone), kNone);
    EXPECT_EQ(QXViewerTransport::FastForward(kNone), kNone);
    EXPECT_EQ(QXViewerTransport::FastReverse(kNone), kNone);
}

TEST(QXViewerTransport, PlayReverseAndSingleStepsFromTheMenu) {
    for (std::uint32_t mode = kOneForward; mode <= kPause; ++mode) {
        EXPECT_EQ(QXViewerTransport::Play(mode), kPlay) << Name(mode);
        EXPECT_EQ(QXViewerTransport::ReversePlay(mode), kReverse) << Name(mode);
        // The one-frame items do not stop reverse play.
        const std::uint32_t forward = mode == kReverse ? kReverse : kOneForward;
        const std::uint32_t backward = mode == kReverse ? kReverse : kOneReverse;
        EXPECT_EQ(QXViewerTransport::OneForward(mode), forward) << Name(mode);
        EXPECT_EQ(QXViewerTransport::OneReverse(mode), backward) << Name(mode);
    }
    for (auto command : {QXViewerTransport::Play, QXViewerTransport::ReversePlay,
                         QXViewerTransport::OneForward, QXViewerTransport::OneReverse})
        EXPECT_EQ(command(kNone), kNone);
}

TEST(QXViewerTransport, StatusTexts) {
    EXPECT_STREQ(QXViewerTransport::StatusText(kNone), "Not Playing");
    EXPECT_STREQ(QXViewerTransport::StatusText(kOneForward), "Pause");
    EXPECT_STREQ(QXViewerTransport::StatusText(kPlay), "Playing");
    EXPECT_STREQ(QXViewerTransport::StatusText(kFastForward16), "FF x 10");
    EXPECT_STREQ(QXViewerTransport::StatusText(kFastForward32), "FF x 16");
    EXPECT_STREQ(QXViewerTransport::StatusText(kRewind16), "REW x10");
    EXPECT_STREQ(QXViewerTransport::StatusText(kRewind32), "REW x 16");
    EXPECT_STREQ(QXViewerTransport::StatusText(kPause), "Pause");
    EXPECT_STREQ(QXViewerTransport::StatusText(0x10012), "Not Playing");
    EXPECT_STREQ(Name(kRewind64), "rew64");
    EXPECT_STREQ(Name(0x10012), "");
}
