#include "KWReplaceFile.h"

#include "KWFileWrite.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any file the user creates
} // namespace

std::string KWTemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(++counter);
}

int KWCreateFileBeside(const std::string& path, std::string& temporary) {
    temporary = KWTemporaryNameBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        temporary.clear(); // not ours
    return fd;
}

bool KWReplaceFile(const std::string& path, const void* data, std::size_t size) {
    if (path.empty())
        return false;
    std::string temporary;
    const int fd = KWCreateFileBeside(path, temporary);
    if (fd < 0)
        return false;
    const bool written = KWWriteAll(fd, data, size);
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temporary.c_str());
    return false;
}
