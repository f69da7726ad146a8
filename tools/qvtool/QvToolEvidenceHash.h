#pragma once
#include <cstdint>
#include <string>

class CQXStorageDevice;

// The SHA-256 fingerprints an evidence report holds, as 64 lower-case hexadecimal digits.
namespace QvToolEvidenceHash {
// Of a file's bytes; false with `error` set when it cannot be read.
bool OfFile(const std::string& path, std::string& hex, std::string& error);
// Of packets `first` to `last` as they are stored on the drive (before the reader's byte
// exchange), read through a read-only handle of its own.
bool OfPackets(CQXStorageDevice& device, std::uint32_t first, std::uint32_t last, std::string& hex,
               std::string& error);
} // namespace QvToolEvidenceHash
