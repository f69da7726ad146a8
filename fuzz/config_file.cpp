// The viewer's settings file: each input is taken as the file's bytes, as the viewer loads it at
// start. What was taken must be written whole and read back the same, as the viewer saves it on
// exit and loads it at the next start.
#include "CConfigFileManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::filesystem::path g_directory;

// Reads and writes the table from memory; the file itself is read and written once per run.
class Settings : public CConfigFileManager {
public:
    using CKWConfigFileManager::Parse;
    using CKWConfigFileManager::Serialise;

    std::vector<KWConfigEntry> Entries() {
        std::vector<KWConfigEntry> entries;
        for (std::uint32_t i = 0; i < GetEntryCount(); ++i)
            entries.push_back(*GetEntry(i));
        return entries;
    }
};

bool Same(const std::vector<KWConfigEntry>& a, const std::vector<KWConfigEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].type != b[i].type || a[i].value != b[i].value || a[i].text != b[i].text)
            return false;
    return true;
}

void RemoveDirectory() {
    std::error_code error;
    std::filesystem::remove_all(g_directory, error);
}
} // namespace

// The settings live below the current directory: work in a folder of our own, in memory where
// the system has one.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/qvfuzz.XXXXXX" : "/tmp/qvfuzz.XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0)
        std::abort();
    g_directory = pattern;
    std::atexit(RemoveDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Settings settings;
    // The loader reads no more than a file of the largest size it writes.
    const std::vector<std::uint8_t> file(
        data, data + std::min(size, CKWConfigFileManager::kMaxFileBytes));
    settings.ResetDefaults();
    if (!settings.Parse(file))
        return 0;
    const std::vector<KWConfigEntry> loaded = settings.Entries();
    const std::vector<std::uint8_t> saved = settings.Serialise();
    settings.ResetDefaults();
    if (saved.empty() || !settings.Parse(saved) || !Same(loaded, settings.Entries()))
        std::abort();
    return 0;
}
