#include "QvToolEvidenceHash.h"

#include "CQX4KPacket.h"
#include "CQXStorageDevice.h"
#include "KWSha256.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace {
constexpr std::size_t kFileChunk = 1 << 20;
constexpr std::uint32_t kPacketsPerRead = 256;
} // namespace

bool QvToolEvidenceHash::OfFile(const std::string& path, std::string& hex, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + " cannot be read: " + std::strerror(errno);
        return false;
    }
    KWSha256 sha;
    std::vector<char> chunk(kFileChunk);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        sha.Update(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                   static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        error = path + " could not be read to its end";
        return false;
    }
    hex = KWSha256::Hex(sha.Finish());
    return true;
}

bool QvToolEvidenceHash::OfPackets(CQXStorageDevice& device, std::uint32_t first,
                                   std::uint32_t last, std::string& hex, std::string& error) {
    KWRawDrive handle;
    if (!device.OpenDriveHandle(handle)) {
        error = device.GetDrivePath() + " cannot be opened for reading";
        return false;
    }
    KWSha256 sha;
    std::vector<std::uint8_t> buffer(std::size_t{kPacketsPerRead} * CQX4KPacket::kSize);
    for (std::uint64_t packet = first; packet <= last; packet += kPacketsPerRead) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(kPacketsPerRead, last - packet + 1));
        const std::uint32_t bytes = count * CQX4KPacket::kSize;
        if (!device.SeekSector(packet * CQX4KPacket::kSectors, &handle) ||
            device.ReadSectors(count * CQX4KPacket::kSectors, buffer.data(),
                               static_cast<std::uint32_t>(buffer.size()), &handle) != bytes) {
            error = device.GetDrivePath() + " cannot be read at packet " + std::to_string(packet);
            return false;
        }
        sha.Update(buffer.data(), bytes);
    }
    hex = KWSha256::Hex(sha.Finish());
    return true;
}
