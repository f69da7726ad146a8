#pragma once
#include <cstdint>

// The video compressors an AVI file can be written with. Zero is the uncompressed format, so
// that zeroed options mean full frames.
enum class KWAviCodec : std::uint32_t {
    kFullFrames = 0, // 'DIB ': the bitmap's rows as they are, bottom-up blue, green, red
    kMotionJpeg = 1,
    kMpeg4 = 2, // MPEG-4 Part 2
    kFfv1 = 3,  // lossless
    kH264 = 4,
};

// The choice the compression options dialog edits. Zero in a number means the compressor's
// default (KWAviCodecs::kDefaultQuality, kDefaultKeyFrameEvery).
struct KWAviCompressOptions {
    KWAviCodec codec = KWAviCodec::kFullFrames;
    std::uint32_t quality = 0;       // 1 (smallest file) to 100 (best picture)
    std::uint32_t keyFrameEvery = 0; // a key frame every so many frames

    bool operator==(const KWAviCompressOptions&) const = default;
};
