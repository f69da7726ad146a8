#include "KWPortAudioStream.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <string>

namespace {
void CountFrames(std::int16_t* samples, unsigned long frames, void* counter) {
    std::fill(samples, samples + frames, std::int16_t{0});
    *static_cast<std::atomic<unsigned long>*>(counter) += frames;
}

// Whatever sound hardware the machine has, opening the default output tells the terminal at most
// one line: nothing when it plays, the program's own reason when it cannot. Without a sound card
// the library's helpers would otherwise print dozens of lines about every device they tried.
TEST(KWPortAudioStream, OpeningPrintsAtMostOneLineOfItsOwn) {
    std::atomic<unsigned long> frames{0};
    KWPortAudioStream stream;
    testing::internal::CaptureStderr();
    const bool opened = stream.Open(1, 8000, &CountFrames, &frames);
    stream.Close();
    const bool reopened = stream.Open(2, 48000, &CountFrames, &frames);
    stream.Close();
    const std::string terminal = testing::internal::GetCapturedStderr();

    EXPECT_EQ(opened, reopened);
    EXPECT_FALSE(stream.IsOpen());
    if (opened) {
        EXPECT_EQ(terminal, "");
        return;
    }
    // One line for each failed open, each naming the program and what is missing.
    EXPECT_EQ(std::count(terminal.begin(), terminal.end(), '\n'), 2) << terminal;
    const std::string prefix = std::string(program_invocation_short_name) + ": no sound output: ";
    EXPECT_EQ(terminal.rfind(prefix, 0), 0u) << terminal;
    EXPECT_NE(terminal.find("\n" + prefix), std::string::npos) << terminal;
}
} // namespace
