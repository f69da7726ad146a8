#include "CConfigFileManager.h"
#include "KWMessageBoxRecorder.h"
#include "KWScopedCurrentDirectory.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Put32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The viewer's file: 4 entries - 4, 0, the MYS directory (L = 4 bytes per whole 4 characters
// plus 4), the close confirmation.
Bytes ViewerFile(const std::string& directory, std::int32_t closeConfirm) {
    Bytes bytes;
    Put32(bytes, 4);
    Put32(bytes, 0), Put32(bytes, 4);
    Put32(bytes, 0), Put32(bytes, 0);
    Put32(bytes, 1);
    const std::size_t length = (directory.size() & ~std::size_t{3}) + 4;
    Put32(bytes, static_cast<std::uint32_t>(length));
    bytes.insert(bytes.end(), directory.begin(), directory.end());
    bytes.resize(bytes.size() + length - directory.size(), 0);
    Put32(bytes, 0), Put32(bytes, static_cast<std::uint32_t>(closeConfirm));
    return bytes;
}
} // namespace

TEST(CConfigFileManager, EachStartDirectoryHasItsOwnConfigFolderWithTheDefaults) {
    KWMessageBoxRecorder boxes;
    KWTempDir first, second;
    for (const KWTempDir* start : {&first, &second}) {
        KWScopedCurrentDirectory current(start->Path());
        CConfigFileManager config;
        const std::string directory = start->Path().string() + "/Capture_MYS/";
        EXPECT_TRUE(config.IsLoaded());
        EXPECT_EQ(config.GetClassName(), "CConfigFileManager");
        EXPECT_EQ(config.GetFilePath(), start->Path().string() + "/config/QXPCViewer4.cfg");
        EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text, directory);
        EXPECT_EQ(config.GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 1);
        EXPECT_EQ(ReadBytes(config.GetFilePath()), ViewerFile(directory, 1));
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(CConfigFileManager, ACountOfFiveIsRewrittenWithTheDefaults) {
    KWTempDir start;
    KWScopedCurrentDirectory current(start.Path());
    const std::string path = start / "config/QXPCViewer4.cfg";
    Bytes five = ViewerFile("/srv/mys", 0);
    five[0] = 5;
    fs::create_directories(start / "config");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(five.data()),
               static_cast<std::streamsize>(five.size()));

    CConfigFileManager config;
    EXPECT_EQ(config.GetEntry(CConfigFileManager::kMysDirectory)->text,
              start.Path().string() + "/Capture_MYS/");
    EXPECT_EQ(ReadBytes(path), ViewerFile(start.Path().string() + "/Capture_MYS/", 1));
}

TEST(CConfigFileManager, TheSettingsAreSavedWhenItGoes) {
    KWTempDir start;
    KWScopedCurrentDirectory current(start.Path());
    {
        CConfigFileManager config;
        config.GetEntry(CConfigFileManager::kMysDirectory)->text = "/media/evidence";
        config.GetEntry(CConfigFileManager::kShowCloseConfirm)->value = 0;
    }
    EXPECT_EQ(ReadBytes(start / "config/QXPCViewer4.cfg"), ViewerFile("/media/evidence", 0));
    CConfigFileManager again;
    EXPECT_EQ(again.GetEntry(CConfigFileManager::kMysDirectory)->text, "/media/evidence");
    EXPECT_EQ(again.GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 0);
}
