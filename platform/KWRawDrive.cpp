#include "KWRawDrive.h"

#include "KWFileKind.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// Image files are given the geometry a disk of their size would report.
constexpr std::uint32_t kImageHeads = 255;
constexpr std::uint32_t kImageSectorsPerTrack = 63;

constexpr unsigned kScsiTimeoutMs = 10000;
constexpr std::uint8_t kAtaPassThrough16 = 0x85;
constexpr std::uint8_t kAtaProtocolPioIn = 4 << 1;
// Transfer from the device, length in blocks, block count taken from the sector count field.
constexpr std::uint8_t kAtaTransferFlags = 0x0E;
constexpr std::uint8_t kAtaIdentifyDevice = 0xEC;
constexpr std::uint8_t kPreventAllowMediumRemoval = 0x1E;

bool ReadsRemovableFlag(dev_t device) {
    char path[64];
    std::snprintf(path, sizeof path, "/sys/dev/block/%u:%u/removable", major(device),
                  minor(device));
    std::ifstream file(path);
    int removable = 0;
    return (file >> removable) && removable == 1;
}
} // namespace

KWRawDrive::~KWRawDrive() {
    Close();
}

bool KWRawDrive::Open(const std::string& path) {
    Close();
    if (path.empty())
        return false;
    const int fd = KWOpenInputFile(path);
    if (fd < 0)
        return false;
    m_position = 0;
    m_fd = fd;
    return true;
}

void KWRawDrive::Close() {
    const int fd = m_fd.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    m_position = 0;
}

bool KWRawDrive::IsBlockDevice() const {
    struct stat info {};
    return fstat(m_fd, &info) == 0 && S_ISBLK(info.st_mode);
}

std::uint64_t KWRawDrive::SizeInBytes() const {
    if (IsBlockDevice()) {
        std::uint64_t size = 0;
        return ioctl(m_fd, BLKGETSIZE64, &size) == 0 ? size : 0;
    }
    struct stat info {};
    return fstat(m_fd, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

bool KWRawDrive::GetGeometry(KWDriveGeometry& geometry) const {
    if (!IsOpen())
        return false;
    geometry = KWDriveGeometry{};
    geometry.tracksPerCylinder = kImageHeads;
    geometry.sectorsPerTrack = kImageSectorsPerTrack;
    geometry.bytesPerSector = kSectorSize;
    geometry.mediaType = kMediaFixed;
    if (IsBlockDevice()) {
        struct hd_geometry reported {};
        if (ioctl(m_fd, HDIO_GETGEO, &reported) == 0 && reported.heads && reported.sectors) {
            geometry.tracksPerCylinder = reported.heads;
            geometry.sectorsPerTrack = reported.sectors;
        }
        int logical = 0;
        if (ioctl(m_fd, BLKSSZGET, &logical) == 0 && logical > 0)
            geometry.bytesPerSector = static_cast<std::uint32_t>(logical);
        struct stat info {};
        if (fstat(m_fd, &info) == 0 && ReadsRemovableFlag(info.st_rdev))
            geometry.mediaType = kMediaRemovable;
    }
    // Cylinders are whole: the remainder of the last cylinder is not reported, as on a disk.
    const std::uint64_t cylinderBytes = std::uint64_t{geometry.tracksPerCylinder} *
                                        geometry.sectorsPerTrack * geometry.bytesPerSector;
    geometry.cylinders = SizeInBytes() / cylinderBytes;
    return true;
}

bool KWRawDrive::SendScsiCommand(const std::uint8_t* command, std::size_t commandLength, void* data,
                                 std::size_t dataLength) const {
    if (!IsOpen() || !IsBlockDevice())
        return false;
    std::uint8_t sense[32] = {};
    sg_io_hdr_t request{};
    request.interface_id = 'S';
    request.cmdp = const_cast<std::uint8_t*>(command);
    request.cmd_len = static_cast<unsigned char>(commandLength);
    request.dxferp = data;
    request.dxfer_len = static_cast<unsigned>(dataLength);
    request.dxfer_direction = dataLength ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    request.sbp = sense;
    request.mx_sb_len = sizeof sense;
    request.timeout = kScsiTimeoutMs;
    if (ioctl(m_fd, SG_IO, &request) != 0)
        return false;
    return request.status == 0 && request.host_status == 0 && request.driver_status == 0;
}

bool KWRawDrive::Identify(IdentifyData& data) const {
    std::uint8_t command[16] = {};
    command[0] = kAtaPassThrough16;
    command[1] = kAtaProtocolPioIn;
    command[2] = kAtaTransferFlags;
    command[6] = 1; // one block of identify data
    command[14] = kAtaIdentifyDevice;
    data.fill(0);
    return SendScsiCommand(command, sizeof command, data.data(), data.size());
}

bool KWRawDrive::SetMediaRemoval(bool prevent) const {
    if (!IsOpen())
        return false;
    if (!IsBlockDevice())
        return true;
    std::uint8_t command[6] = {
        kPreventAllowMediumRemoval, 0, 0, 0, static_cast<std::uint8_t>(prevent ? 1 : 0), 0};
    return SendScsiCommand(command, sizeof command, nullptr, 0);
}

bool KWRawDrive::Seek(std::uint64_t byteOffset) {
    if (!IsOpen() || byteOffset > static_cast<std::uint64_t>(LLONG_MAX)) {
        errno = EINVAL;
        return false;
    }
    m_position = byteOffset;
    return true;
}

long long KWRawDrive::Read(void* buffer, std::size_t bytes) {
    if (!IsOpen()) {
        errno = EBADF;
        return -1;
    }
    auto* target = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got =
            pread(m_fd, target + done, bytes - done, static_cast<off_t>(m_position + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (done == 0 && bytes != 0) {
        // At or past the end of the medium: a disk reports a missing sector.
        errno = EIO;
        return -1;
    }
    m_position += done;
    return static_cast<long long>(done);
}
