#include "KWPrepareDirectory.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string CurrentDirectory() {
    return fs::current_path().string();
}
} // namespace

TEST(KWPrepareDirectory, CreatesMissingLevelsAndRestoresTheBaseDirectory) {
    KWTempDir temp;
    const std::string base = CurrentDirectory();
    const std::string target = temp / "a/b/c";
    EXPECT_TRUE(PrepareDirectory(base, target));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(CurrentDirectory(), base);
    // Existing levels are fine, and a trailing separator changes nothing.
    EXPECT_TRUE(PrepareDirectory(base, target + "/"));
}

TEST(KWPrepareDirectory, NetworkStyleRootIsKeptWhole) {
    KWTempDir temp;
    const std::string target = "/" + (temp / "share/dir"); // "//tmp/..." keeps "//tmp/" as root
    EXPECT_TRUE(PrepareDirectory(CurrentDirectory(), target));
    EXPECT_TRUE(fs::is_directory(temp / "share/dir"));
}

TEST(KWPrepareDirectory, APathWithoutSeparatorFailsAndChangesNothing) {
    KWTempDir temp;
    const std::string before = CurrentDirectory();
    ASSERT_EQ(chdir(temp.Path().c_str()), 0);
    EXPECT_FALSE(PrepareDirectory(temp.Path().string(), "capture"));
    EXPECT_FALSE(fs::exists(temp / "capture"));
    EXPECT_EQ(CurrentDirectory(), temp.Path().string());
    ASSERT_EQ(chdir(before.c_str()), 0);
}

TEST(KWPrepareDirectory, ThirtyTwoLevelsFailWithoutCreatingAnything) {
    KWTempDir temp;
    // The temporary directory's own levels count, so build the path from the root.
    std::string path;
    for (int level = 1; level <= 31; ++level)
        path += "/l" + std::to_string(level);
    EXPECT_FALSE(PrepareDirectory(CurrentDirectory(), path)) << "root plus 31 levels = 32 prefixes";
    EXPECT_FALSE(fs::exists("/l1"));

    std::string deep = temp.Path().string();
    const auto tempLevels = static_cast<std::size_t>(std::count(deep.begin(), deep.end(), '/'));
    for (std::size_t prefixes = tempLevels + 1; prefixes < 31; ++prefixes)
        deep += "/d";
    EXPECT_TRUE(PrepareDirectory(CurrentDirectory(), deep)) << "31 prefixes are allowed";
    EXPECT_FALSE(PrepareDirectory(CurrentDirectory(), deep + "/e"));
    EXPECT_FALSE(fs::exists(deep + "/e"));
}

TEST(KWPrepareDirectory, ALevelThatIsAFileFailsAfterTheLevelsAboveIt) {
    KWTempDir temp;
    fs::create_directories(temp / "a");
    std::ofstream(temp / "a/file") << "x";
    const std::string base = CurrentDirectory();
    EXPECT_FALSE(PrepareDirectory(base, temp / "a/file/d"));
    EXPECT_FALSE(PrepareDirectory(base, temp / "a/file"));
    EXPECT_FALSE(fs::exists(temp / "a/file/d"));
    EXPECT_TRUE(fs::is_directory(temp / "a"));
    EXPECT_TRUE(fs::is_regular_file(temp / "a/file"));
    EXPECT_EQ(CurrentDirectory(), base);
}
