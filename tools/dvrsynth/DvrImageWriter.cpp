#include "DvrImageWriter.h"

#include "CQX4KPacket.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

DvrImageWriter::~DvrImageWriter() {
    Close();
}

bool DvrImageWriter::Fail(const std::string& what) {
    m_error = what + " " + m_path + ": " + std::strerror(errno);
    return false;
}

bool DvrImageWriter::Open(const std::string& path, std::uint64_t minimumBytes) {
    Close();
    m_path = path;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return Fail("cannot create");
    m_size = 0;
    return minimumBytes == 0 || Resize(minimumBytes);
}

bool DvrImageWriter::Resize(std::uint64_t minimumBytes) {
    const std::uint64_t cylinders = (minimumBytes + kCylinderBytes - 1) / kCylinderBytes;
    m_size = std::max<std::uint64_t>(cylinders, 1) * kCylinderBytes;
    if (ftruncate(m_fd, static_cast<off_t>(m_size)) != 0)
        return Fail("cannot size");
    return true;
}

std::uint64_t DvrImageWriter::BytesForPackets(std::uint64_t packets) {
    return packets * CQX4KPacket::kSize + kEventAreaBytes;
}

bool DvrImageWriter::Close() {
    if (m_fd < 0)
        return true;
    const bool ok = ::close(m_fd) == 0;
    m_fd = -1;
    return ok || Fail("cannot close");
}

std::uint64_t DvrImageWriter::CapacityPackets() const {
    if (m_size == 0)
        return UINT64_MAX;
    return (m_size - kEventAreaBytes) / CQX4KPacket::kSize;
}

bool DvrImageWriter::WritePacket(std::uint64_t index, const std::uint8_t* packet) {
    std::array<std::uint8_t, CQX4KPacket::kSize> stored;
    std::memcpy(stored.data(), packet, stored.size());
    QXExchangeBytes(stored.data(), CQX4KPacket::kSize);
    const auto offset = static_cast<off_t>(index * CQX4KPacket::kSize);
    if (pwrite(m_fd, stored.data(), stored.size(), offset) != static_cast<ssize_t>(stored.size()))
        return Fail("cannot write packet to");
    return true;
}

bool DvrImageWriter::WriteEventArea(const std::uint8_t* area) {
    const auto offset = static_cast<off_t>(m_size - kEventAreaBytes);
    if (pwrite(m_fd, area, kEventAreaBytes, offset) != static_cast<ssize_t>(kEventAreaBytes))
        return Fail("cannot write the event area of");
    return true;
}
