#include "KWFileFingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::uint64_t KWFileChecksum(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    std::vector<unsigned char> block(1 << 16);
    ssize_t got;
    std::uint64_t size = 0;
    while ((got = ::read(fd, block.data(), block.size())) > 0) {
        size += static_cast<std::uint64_t>(got);
        for (ssize_t i = 0; i < got; ++i)
            hash = (hash ^ block[i]) * 1099511628211ull;
    }
    ::close(fd);
    return hash ^ size;
}

KWFileFingerprint KWFingerprintOf(const std::string& path) {
    KWFileFingerprint fingerprint;
    fingerprint.checksum = KWFileChecksum(path);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        fingerprint.modifiedNs =
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    return fingerprint;
}
