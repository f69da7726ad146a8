#include "KWTestImage.h"

#include "KWFileFingerprint.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

KWTestImage::KWTestImage(std::string path, std::uint64_t bytes) : m_path(std::move(path)) {
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0)
        ADD_FAILURE() << "cannot create image " << m_path;
    if (fd >= 0)
        ::close(fd);
}

void KWTestImage::WriteHeader(std::uint64_t packet, const Header& header) const {
    Header stored;
    for (std::size_t i = 0; i < header.size(); i += 2) {
        stored[i] = header[i + 1];
        stored[i + 1] = header[i];
    }
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CLOEXEC);
    const auto offset = static_cast<off_t>(packet * kPacketSize);
    if (fd < 0 || pwrite(fd, stored.data(), stored.size(), offset) != ssize_t(stored.size()))
        ADD_FAILURE() << "cannot write packet " << packet << " of " << m_path;
    if (fd >= 0)
        ::close(fd);
}

void KWTestImage::WriteDataPackets(std::uint64_t first, std::uint64_t count) const {
    for (std::uint64_t p = first; p < first + count; ++p)
        WriteHeader(p, kDataHeader);
}

std::uint64_t KWTestImage::Checksum() const {
    return KWFileChecksum(m_path);
}
