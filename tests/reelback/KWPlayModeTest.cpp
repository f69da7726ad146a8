#include "KWPlayMode.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace KWPlayMode;

// Where a command leads from a mode: the new mode, or -1 when nothing changes; a resume first is
// marked by adding 1000.
int Outcome(const std::optional<Transition>& transition) {
    if (!transition) {
        return -1;
    }
    return transition->mode + (transition->resumeFirst ? 1000 : 0);
}
} // namespace

TEST(KWPlayMode, StatusTexts) {
    EXPECT_STREQ(StatusText(kNone), "");
    EXPECT_STREQ(StatusText(kPlay), "PLAY");
    EXPECT_STREQ(StatusText(kReverse), "Reverse");
    EXPECT_STREQ(StatusText(kPause), "PAUSE");
    const char* const fastForward[] = {"FF * 2", "FF * 4", "FF * 8", "FF * 16", "FF * 32"};
    const char* const fastReverse[] = {"FR * 2", "FR * 4", "FR * 8", "FR * 16", "FR * 32"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(StatusText(6 + i), fastForward[i]);
        EXPECT_STREQ(StatusText(15 + i), fastReverse[i]);
    }
    for (int unknown : {1, 2, 4, 11, 14, 21, -1}) {
        EXPECT_STREQ(StatusText(unknown), "") << unknown;
    }
}

// Every mode the window can hold (and a few it never does) against every command.
TEST(KWPlayMode, TransitionsFromEveryMode) {
    for (int mode = -1; mode <= 22; ++mode) {
        SCOPED_TRACE(mode);
        const bool above = mode > kPause;
        EXPECT_EQ(Outcome(OnPlay(mode)), above || mode == kPlay ? -1 : kPlay);
        EXPECT_EQ(Outcome(OnPause(mode)), mode >= 0 && mode <= 19 ? kPause : -1);
        EXPECT_EQ(Outcome(OnReverse(mode)), above || mode == kReverse ? -1
                                            : mode == kPause          ? 1000 + kReverse
                                                                      : kReverse);
        int forward = 6;
        if (above) {
            forward = -1;
        } else if (mode >= 6 && mode <= 9) {
            forward = mode + 1;
        } else if (mode == kPause) {
            forward = 1006;
        }
        EXPECT_EQ(Outcome(OnFastForward(mode)), forward);
        int reverse = 15;
        if (above) {
            reverse = -1;
        } else if (mode >= 15 && mode <= 18) {
            reverse = mode + 1;
        } else if (mode == kPause) {
            reverse = 1015;
        }
        EXPECT_EQ(Outcome(OnFastReverse(mode)), reverse);
    }
}
