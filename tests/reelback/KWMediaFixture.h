#pragma once
#include "KWPollUntil.h"
#include "KWTempDir.h"
#include "KWTestMedia.h"

#include <gtest/gtest.h>

#include <memory>

// Playback runs on its own threads: waits (generously) until they make the condition true.
inline bool WaitFor(const std::function<bool()>& done) {
    return KWPollUntil(done, std::chrono::seconds(20));
}

// Makes the test recordings once for all tests of a suite.
class KWMediaFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static const std::string& Mpeg4Avi() { return s_mpeg4Avi; }
    static const std::string& H264Mp4() { return s_h264Mp4; }
    static std::string TempPath(const std::string& name) { return *s_folder / name; }

private:
    static std::unique_ptr<KWTempDir> s_folder;
    static std::string s_mpeg4Avi;
    static std::string s_h264Mp4;
};
