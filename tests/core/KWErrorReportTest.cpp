#include "KWErrorReport.h"
#include "KWExitRecorder.h"
#include "KWMessageBoxRecorder.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(KWErrorReport, FatalErrorNamesClassAndMessage) {
    KWMessageBoxRecorder boxes;
    ReportFatalError("CQXVideoFrame", "Memory Allocation Failed");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    const auto& box = shown[0].request;
    EXPECT_EQ(box.caption, "Fatal Error");
    EXPECT_EQ(
        box.text,
        "Fatal Error Occurred\r\nClass:\tCQXVideoFrame\r\nMessage:\tMemory Allocation Failed");
    EXPECT_EQ(box.flags, KWMessageBoxFlags::kOk);
}

TEST(KWErrorReport, FatalErrorAndExitShowsTheStopBoxAndExitsWithZero) {
    KWMessageBoxRecorder boxes;
    KWExitRecorder exits;
    try {
        ReportFatalErrorAndExit("NO DirectX", "CKWDirectDraw", "message text");
        FAIL() << "returned";
    } catch (const KWExitRecorder::Exited& exited) {
        EXPECT_EQ(exited.exitCode, 0);
    }
    try {
        ReportFatalErrorAndExit("", "C", "m");
    } catch (const KWExitRecorder::Exited&) {
    }
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    const auto& first = shown[0].request;
    EXPECT_EQ(first.caption, "NO DirectX - Corvane Technologies, Inc.");
    EXPECT_EQ(first.text,
              "Fatal Error Occurred\r\n\t\t\t\t\t \r\nmessage text\r\n\r\nClass : \tCKWDirectDraw");
    EXPECT_EQ(first.flags, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconStop);
    EXPECT_EQ(shown[1].request.caption, "FATAL ERROR -Corvane Technologies, Inc.");
}

TEST(KWErrorReport, WarningHasTheExclamationIcon) {
    KWMessageBoxRecorder boxes(KWMessageBoxAnswer::kOk);
    EXPECT_EQ(ShowWarning("Unknown frame type detected.\r\n", "MYS Playback Error"),
              KWMessageBoxAnswer::kOk);
    EXPECT_EQ(boxes.Boxes()[0].request.flags,
              KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
}

TEST(KWErrorReport, SystemErrorTextIsAppendedWhenKnown) {
    std::string text = "Open failed: ";
    AppendSystemErrorText(text, ENOENT);
    EXPECT_EQ(text, "Open failed: No such file or directory");
    std::string unknown = "x";
    AppendSystemErrorText(unknown, 987654);
    EXPECT_EQ(unknown, "x");
}
