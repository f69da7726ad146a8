// The viewer's settings file: each input is written as the file, loaded as the viewer loads
// it at start and saved as it saves on exit. What was loaded must load again the same after
// that save.
#include "CConfigFileManager.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::filesystem::path g_directory;

std::vector<KWConfigEntry> Entries(CConfigFileManager& settings) {
    std::vector<KWConfigEntry> entries;
    for (std::uint32_t i = 0; i < settings.GetEntryCount(); ++i)
        entries.push_back(*settings.GetEntry(i));
    return entries;
}

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
// the system has one, so that the file's flush costs nothing.
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
    std::filesystem::create_directories(CConfigFileManager::kFolderName);
    {
        std::ofstream file(std::filesystem::path(CConfigFileManager::kFolderName) /
                               CConfigFileManager::kFileName,
                           std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file)
            std::abort();
    }
    std::vector<KWConfigEntry> loaded;
    {
        CConfigFileManager settings;
        loaded = Entries(settings);
    }
    CConfigFileManager again;
    if (!Same(loaded, Entries(again)))
        std::abort();
    return 0;
}
