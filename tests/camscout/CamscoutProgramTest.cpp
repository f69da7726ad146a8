// The finder program ended by a signal, as a system shutdown or a terminal ends it.
#include "CKWUdpSocket.h"
#include "CamTestSupport.h"
#include "KWRunProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace {
constexpr int kStartMs = 30000;
// A program asked to end by a signal is gone within this time.
constexpr int kPromptExitMs = 5000;
// Time for the message box the program posts at its start to come up.
constexpr int kNoticeShowsMs = 1000;
} // namespace

// Ends at once with exit code 0, also while its message box about a second instance (the reply
// port is taken) waits for an answer.
TEST(CamscoutProgram, InterruptAndTerminationEndTheProgramEvenWhileAMessageWaits) {
    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("0.0.0.0", 0));
    for (const bool portTaken : {false, true})
        for (const int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::string(portTaken ? "port taken, " : "") + std::to_string(signal));
            const std::uint16_t replyPort = portTaken ? holder.LocalPort() : FreeUdpPort();
            KWProgram program("exec env QT_QPA_PLATFORM=offscreen " + KWBuiltProgram("camscout") +
                              " --broadcast 127.0.0.1 --command-port " +
                              std::to_string(FreeUdpPort()) + " --reply-port " +
                              std::to_string(replyPort) + " 2>&1");
            ASSERT_TRUE(program.IsStarted());
            ASSERT_TRUE(program.WaitUntilCatching(signal, kStartMs));
            PumpUntil([] { return false; }, kNoticeShowsMs);
            ASSERT_EQ(::kill(program.Id(), signal), 0);
            ASSERT_TRUE(program.WaitForExit(kPromptExitMs)) << "still running";
            EXPECT_EQ(program.Status(), 0) << program.Output();
        }
}
