#include "KWReplaceFile.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::size_t FileCount(const KWTempDir& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++count;
    return count;
}
} // namespace

TEST(KWReplaceFile, CreatesOrReplacesTheWholeFileAndLeavesNothingElse) {
    KWTempDir dir;
    const std::string path = dir / "text.txt";
    ASSERT_TRUE(KWReplaceFile(path, "a longer first content", 22));
    EXPECT_EQ(Contents(path), "a longer first content");
    ASSERT_TRUE(KWReplaceFile(path, "short", 5));
    EXPECT_EQ(Contents(path), "short");
    ASSERT_TRUE(KWReplaceFile(path, "", 0));
    EXPECT_EQ(Contents(path), "");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(KWReplaceFile, AFailureLeavesTheFolderAsItWas) {
    KWTempDir dir;
    EXPECT_FALSE(KWReplaceFile(dir / "missing/text.txt", "x", 1));
    EXPECT_FALSE(KWReplaceFile("", "x", 1));
    // A folder in the way is not replaced by a file.
    std::filesystem::create_directory(dir / "folder");
    std::ofstream(dir / "folder/inside") << "kept";
    EXPECT_FALSE(KWReplaceFile(dir / "folder", "x", 1));
    EXPECT_EQ(Contents(dir / "folder/inside"), "kept");
    EXPECT_EQ(FileCount(dir), 1u);
}
