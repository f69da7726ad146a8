// The player program ended by a signal, as a system shutdown or a terminal ends it.
#include "KWRunProgram.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {
constexpr int kStartMs = 30000;
// A program asked to end by a signal is gone within this time.
constexpr int kPromptExitMs = 5000;
// Time for the start-up's message box to come up once the program answers signals.
constexpr std::chrono::milliseconds kNoticeShowsMs{1000};
} // namespace

// Ends at once with exit code 0, also while its start-up message about a file it cannot open
// waits for an answer, before the program's own loop has run.
TEST(ReelbackProgram, InterruptAndTerminationEndTheProgramEvenWhileAMessageWaits) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        // Its own runtime and settings folders: no player of the user is met or changed.
        KWTempDir home;
        KWProgram program("exec env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" +
                          home.Path().string() + "' XDG_CONFIG_HOME='" + home.Path().string() +
                          "' " + KWBuiltProgram("reelback") + " '" + (home / "missing.av") +
                          "' 2>&1");
        ASSERT_TRUE(program.IsStarted());
        ASSERT_TRUE(program.WaitUntilCatching(signal, kStartMs));
        std::this_thread::sleep_for(kNoticeShowsMs);
        ASSERT_EQ(::kill(program.Id(), signal), 0);
        ASSERT_TRUE(program.WaitForExit(kPromptExitMs)) << "still running";
        EXPECT_EQ(program.Status(), 0) << program.Output();
    }
}
