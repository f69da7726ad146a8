#include "KWFileKind.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool IsInputKind(mode_t mode) {
    return S_ISREG(mode) || S_ISBLK(mode);
}
} // namespace

int KWOpenInputFile(const std::string& path) {
    // Not blocking, so that opening a FIFO without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !IsInputKind(info.st_mode)) {
        ::close(fd);
        errno = ENODEV;
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::string KWInputFileProblem(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return path + ": " + std::strerror(errno);
    if (!IsInputKind(info.st_mode))
        return path + " is neither a regular file nor a block device";
    return {};
}

std::string KWOutputFileProblem(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : path + ": " + std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return path + " is a symbolic link; name the file itself";
    if (!S_ISREG(info.st_mode))
        return path + " exists and is not a regular file";
    return {};
}
