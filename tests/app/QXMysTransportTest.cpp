#include "QXMysTransport.h"
#include "QXPlayMode.h"
#include "QXViewerTransport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace QXPlayMode;

namespace {
using Modes = std::vector<std::uint32_t>;

Modes Presses(std::uint32_t (*command)(std::uint32_t), std::uint32_t mode, int count) {
    Modes modes;
    for (int i = 0; i < count; ++i)
        modes.push_back(mode = command(mode));
    return modes;
}
} // namespace

TEST(QXMysTransport, TheButtonsGoRoundTheFastModesOfTheirOwnDirection) {
    EXPECT_EQ(Presses(QXMysTransport::FastForward, kPlay, 6),
              (Modes{kFastForward2, kFastForward4, kFastForward8, kFastForward16, kFastForward32,
                     kFastForward2}));
    EXPECT_EQ(Presses(QXMysTransport::FastReverse, kPlay, 6),
              (Modes{kRewind2, kRewind4, kRewind8, kRewind16, kRewind32, kRewind2}));
    // From the other direction a button goes straight to its own x2.
    EXPECT_EQ(QXMysTransport::FastForward(kRewind8), kFastForward2);
    EXPECT_EQ(QXMysTransport::FastReverse(kFastForward8), kRewind2);
    for (std::uint32_t mode : {kOneForward, kOneReverse, kReverse, kFastForward64, kPause}) {
        EXPECT_EQ(QXMysTransport::FastForward(mode), kFastForward2) << Name(mode);
        EXPECT_EQ(QXMysTransport::FastReverse(mode), kRewind2) << Name(mode);
    }
}

TEST(QXMysTransport, ThePauseButtonPausesButNeverResumes) {
    for (std::uint32_t mode = kOneForward; mode <= kPause; ++mode)
        EXPECT_EQ(QXMysTransport::Pause(mode), kPause) << Name(mode);
    // Space resumes, as in the viewer.
    EXPECT_EQ(QXViewerTransport::Pause(kPause), kPlay);
}

TEST(QXMysTransport, TheArrowKeysStepUpToX64AndTheOppositeKeySlowsDown) {
    EXPECT_EQ(Presses(QXMysTransport::FastForwardKey, kPlay, 7),
              (Modes{kFastForward2, kFastForward4, kFastForward8, kFastForward16, kFastForward32,
                     kFastForward64, kPlay}));
    EXPECT_EQ(
        Presses(QXMysTransport::FastReverseKey, kPlay, 8),
        (Modes{kReverse, kRewind2, kRewind4, kRewind8, kRewind16, kRewind32, kRewind64, kReverse}));
    EXPECT_EQ(Presses(QXMysTransport::FastReverseKey, kFastForward32, 5),
              (Modes{kFastForward16, kFastForward8, kFastForward4, kFastForward2, kPlay}));
    // Right from any backward mode plays at once.
    for (std::uint32_t mode : {kOneReverse, kReverse, kRewind2, kRewind16, kRewind64, kPause})
        EXPECT_EQ(QXMysTransport::FastForwardKey(mode), kPlay) << Name(mode);
    EXPECT_EQ(QXMysTransport::FastForwardKey(kOneForward), kPlay);
    EXPECT_EQ(QXMysTransport::FastReverseKey(kFastForward64), kReverse);
    EXPECT_EQ(QXMysTransport::FastReverseKey(kPause), kReverse);
}

TEST(QXMysTransport, WithoutAPlayingFileNothingMoves) {
    for (auto command :
         {QXMysTransport::FastForward, QXMysTransport::FastReverse, QXMysTransport::Pause,
          QXMysTransport::FastForwardKey, QXMysTransport::FastReverseKey})
        EXPECT_EQ(command(kNone), kNone);
}
