#include "KWPrepareDirectory.h"

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::size_t kMaxDirectoryLevels = 32;
} // namespace

// Each level is checked and created through its full path rather than by changing into it, so
// that relative paths resolve against one directory and a concurrent caller on another thread
// (the capture writer) never sees the current directory move.
bool PrepareDirectory(const std::string& baseDirectory, const std::string& path) {
    auto finish = [&baseDirectory](bool ok) {
        if (!baseDirectory.empty() && chdir(baseDirectory.c_str()) != 0)
            return false;
        return ok;
    };
    if (path.find('/') == std::string::npos)
        return finish(false);

    std::string full = path;
    if (full.back() != '/')
        full += '/';

    std::vector<std::string> prefixes;
    std::size_t from = full.rfind("//", 0) == 0 ? 2 : 0;
    for (std::size_t hit; (hit = full.find('/', from)) != std::string::npos; from = hit + 1) {
        prefixes.push_back(full.substr(0, hit + 1));
        if (prefixes.size() == kMaxDirectoryLevels)
            return finish(false);
    }

    for (std::size_t i = 1; i < prefixes.size(); ++i) {
        struct stat info {};
        if (stat(prefixes[i].c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (mkdir(prefixes[i].c_str(), 0777) != 0)
            return finish(false);
    }
    return finish(true);
}
