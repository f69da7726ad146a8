#include "CKWConfigFileManager.h"
#include "KWFileSizeLimit.h"
#include "KWMessageBoxRecorder.h"
#include "KWRecordingTarget.h"
#include "KWScopedCurrentDirectory.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

// A table of an integer, a string and an integer with its defaults; a table longer than its
// defaults plays a subclass whose entry count does not match them.
class TestConfig : public CKWConfigFileManager {
public:
    explicit TestConfig(std::uint32_t entries = 3)
        : CKWConfigFileManager("settings", "test.cfg", entries) {}

    std::vector<KWConfigEntry> defaults = {
        {"number", KWConfigEntry::kInteger, 7, ""},
        {"folder", KWConfigEntry::kString, 0, "/tmp/x/"},
        {"flag", KWConfigEntry::kInteger, 1, ""},
    };

protected:
    const KWConfigEntry* GetDefault(std::uint32_t index) const override {
        return index < defaults.size() ? &defaults[index] : nullptr;
    }
};

void Put32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A file of the test table: count, 7, the string with its L and padding, the flag.
Bytes FileOf(std::int32_t number, const std::string& text, std::uint32_t length,
             std::int32_t flag) {
    Bytes bytes;
    Put32(bytes, 3);
    Put32(bytes, 0);
    Put32(bytes, static_cast<std::uint32_t>(number));
    Put32(bytes, 1);
    Put32(bytes, length);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize(bytes.size() + length - text.size(), 0);
    Put32(bytes, 0);
    Put32(bytes, static_cast<std::uint32_t>(flag));
    return bytes;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class CKWConfigFileManagerTest : public ::testing::Test {
protected:
    std::string FilePath() const { return m_dir / "settings/test.cfg"; }
    // A manager made in the temporary directory, its table at the defaults.
    std::unique_ptr<TestConfig> Make() {
        auto config = std::make_unique<TestConfig>();
        config->ResetDefaults();
        return config;
    }

    KWTempDir m_dir;
    KWScopedCurrentDirectory m_start{m_dir.Path()};
    KWMessageBoxRecorder m_boxes;
};
} // namespace

TEST(CKWConfigFileManager, PaddedLengthLeavesAtLeastOneZeroAndIsAMultipleOfFour) {
    EXPECT_EQ(CKWConfigFileManager::PaddedLength(0), 4u);
    EXPECT_EQ(CKWConfigFileManager::PaddedLength(3), 4u);
    EXPECT_EQ(CKWConfigFileManager::PaddedLength(4), 8u);
    EXPECT_EQ(CKWConfigFileManager::PaddedLength(7), 8u);
    EXPECT_EQ(CKWConfigFileManager::PaddedLength(8), 12u);
}

TEST_F(CKWConfigFileManagerTest, AMissingFileIsCreatedWithTheDefaultsInTheStartDirectory) {
    auto config = Make();
    EXPECT_EQ(config->GetStartDirectory(), m_dir.Path().string());
    EXPECT_EQ(config->GetFilePath(), FilePath());
    ASSERT_TRUE(config->Load());
    EXPECT_EQ(ReadBytes(FilePath()), FileOf(7, "/tmp/x/", 8, 1));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

// Strings are stored as their UTF-8 bytes: "é" is two of them, so "café/ü" is 8 bytes and
// needs L = 12, while a 7-byte text has L = 8.
TEST_F(CKWConfigFileManagerTest, SavedStringsTakeTheirPaddedLength) {
    auto config = Make();
    config->GetEntry(1)->text = "/a/b/c/";
    config->Save();
    EXPECT_EQ(ReadBytes(FilePath()), FileOf(7, "/a/b/c/", 8, 1));
    config->GetEntry(1)->text = "caf\xC3\xA9/\xC3\xBC";
    config->GetEntry(0)->value = -2;
    config->Save();
    EXPECT_EQ(ReadBytes(FilePath()), FileOf(-2, "caf\xC3\xA9/\xC3\xBC", 12, 1));

    auto again = Make();
    ASSERT_TRUE(again->Load());
    EXPECT_EQ(again->GetEntry(1)->text, "caf\xC3\xA9/\xC3\xBC");
    EXPECT_EQ(again->GetEntry(0)->value, -2);
    EXPECT_EQ(again->GetEntry(3), nullptr);
}

TEST_F(CKWConfigFileManagerTest, AValidFileReplacesTheDefaultsAndIsNotRewritten) {
    // Bytes after the last entry and a longer padding than needed are accepted.
    Bytes file = FileOf(42, "/srv/mys", 16, 0);
    file.push_back(0xEE);
    WriteBytes(FilePath(), file);
    auto config = Make();
    ASSERT_TRUE(config->Load());
    EXPECT_EQ(config->GetEntry(0)->value, 42);
    EXPECT_EQ(config->GetEntry(1)->text, "/srv/mys");
    EXPECT_EQ(config->GetEntry(1)->value, 0);
    EXPECT_EQ(config->GetEntry(2)->value, 0);
    EXPECT_EQ(ReadBytes(FilePath()), file);
}

TEST_F(CKWConfigFileManagerTest, InvalidFilesAreRewrittenWithTheDefaults) {
    const Bytes valid = FileOf(42, "/srv/mys", 12, 0);
    Bytes wrongCount = valid;
    wrongCount[0] = 4;
    Bytes wrongType = valid;
    wrongType[4] = 1;
    Bytes noZero = FileOf(42, "/srv/mys", 8, 0); // the text fills its L bytes
    Bytes truncatedString(valid.begin(), valid.begin() + 24);
    Bytes missingLast(valid.begin(), valid.end() - 4);
    Bytes hugeLength = valid;
    hugeLength[16] = 0xFF, hugeLength[17] = 0xFF, hugeLength[18] = 0xFF, hugeLength[19] = 0xFF;
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"count", wrongCount},
        {"type", wrongType},
        {"no zero", noZero},
        {"truncated string", truncatedString},
        {"missing entry", missingLast},
        {"length past the end", hugeLength},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        WriteBytes(FilePath(), bytes);
        auto config = Make();
        EXPECT_TRUE(config->Load());
        EXPECT_EQ(config->GetEntry(0)->value, 7);
        EXPECT_EQ(config->GetEntry(1)->text, "/tmp/x/");
        EXPECT_EQ(ReadBytes(FilePath()), FileOf(7, "/tmp/x/", 8, 1));
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CKWConfigFileManagerTest, AFolderThatCannotBeMadeLeavesTheDefaultsInMemory) {
    WriteBytes(m_dir / "settings", {}); // a file where the folder should be
    auto config = Make();
    config->GetEntry(0)->value = 99;
    EXPECT_FALSE(config->Load());
    EXPECT_EQ(config->GetEntry(0)->value, 7);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CKWConfigFileManagerTest, AFailedSaveIsNotifiedAndKeepsTheFileAsItWas) {
    auto config = Make();
    ASSERT_TRUE(config->Load());
    const Bytes before = ReadBytes(FilePath());
    KWRecordingTarget listener;
    config->AddListenerWindow(&listener);
    config->GetEntry(1)->text = std::string(200, 'd');
    {
        KWFileSizeLimit fullDisk(40);
        ASSERT_TRUE(fullDisk.IsApplied());
        config->Save();
    }
    ASSERT_EQ(listener.Count(), 1u);
    EXPECT_EQ(listener.Received()[0], (KWRecordingTarget::Message{0x410, 0, 0}));
    EXPECT_EQ(ReadBytes(FilePath()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "settings"), {}), 1)
        << "the partial file beside it is gone";

    // A table that does not fit the 512 KB buffer is not written either.
    config->GetEntry(1)->text = std::string(CKWConfigFileManager::kMaxFileBytes, 'd');
    config->Save();
    EXPECT_EQ(listener.Count(), 2u);
    EXPECT_EQ(ReadBytes(FilePath()), before);
    config->GetEntry(1)->text = "/ok";
    config->Save();
    EXPECT_EQ(listener.Count(), 2u);
    EXPECT_EQ(ReadBytes(FilePath()), FileOf(7, "/ok", 4, 1));
}

TEST_F(CKWConfigFileManagerTest, AFileTheUserMayNotWriteIsReadButLeftAlone) {
    const Bytes file = FileOf(42, "/srv/mys", 12, 0);
    WriteBytes(FilePath(), file);
    fs::permissions(FilePath(), fs::perms::owner_read);
    if (access(FilePath().c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights to write any file";
    auto config = Make();
    EXPECT_TRUE(config->Load());
    EXPECT_EQ(config->GetEntry(0)->value, 42);
    KWRecordingTarget listener;
    config->AddListenerWindow(&listener);
    config->GetEntry(0)->value = 5;
    config->Save();
    EXPECT_EQ(listener.Count(), 1u);
    EXPECT_EQ(ReadBytes(FilePath()), file);
}

TEST_F(CKWConfigFileManagerTest, AnEntryWithoutDefaultIsSkippedWithAnInformationBox) {
    TestConfig config(4);
    config.GetEntry(3)->value = 5;
    config.ResetDefaults();
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].request.text, "Config Entry Count Mismatch");
    EXPECT_EQ(m_boxes.Boxes()[0].request.flags & KWMessageBoxFlags::kIconMask,
              KWMessageBoxFlags::kIconInformation);
    EXPECT_EQ(config.GetEntry(0)->value, 7);
    EXPECT_EQ(config.GetEntry(3)->value, 5);
}
