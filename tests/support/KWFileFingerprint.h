#pragma once
#include <cstdint>
#include <string>

// What a test compares to show that a file was left alone: a checksum of its whole content and
// size, and its modification time.
struct KWFileFingerprint {
    std::uint64_t checksum = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const KWFileFingerprint&) const = default;
};

// 0 for the checksum of a file that cannot be read.
std::uint64_t KWFileChecksum(const std::string& path);
KWFileFingerprint KWFingerprintOf(const std::string& path);
