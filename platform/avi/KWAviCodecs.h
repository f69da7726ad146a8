#pragma once
#include "KWAviCompressOptions.h"

#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

// What each compressor of KWAviCodec is, whether this machine's FFmpeg has its encoder, and
// the encoder set up for a choice of options.
namespace KWAviCodecs {
constexpr std::uint32_t kMinQuality = 1;
constexpr std::uint32_t kMaxQuality = 100;
constexpr std::uint32_t kDefaultQuality = 75;
constexpr std::uint32_t kMaxKeyFrameEvery = 1000;
constexpr std::uint32_t kDefaultKeyFrameEvery = 25;

struct Info {
    KWAviCodec codec;
    const char* name;    // as the compression options dialog lists it
    const char* key;     // as scripts name it
    const char* encoder; // FFmpeg's encoder; null for full frames, which need none
    AVPixelFormat pixelFormat;
    bool hasQuality;
    bool hasKeyFrames;
    bool evenSize; // the encoder takes only pictures of even width and height
};

// Every compressor, in the order the dialog lists them.
const std::vector<Info>& Table();
// Null for a value outside the table.
const Info* Find(KWAviCodec codec);
// Null for an unknown key.
const Info* FindKey(const std::string& key);
// Full frames always; the others when FFmpeg has their encoder.
bool IsAvailable(KWAviCodec codec);
// The available compressors, in table order.
std::vector<KWAviCodec> Offered();

// The encoder of `options` for pictures of the size, stamped in `timeBase`, opened; null with
// `error` set when it cannot be (full frames have no encoder). Frames come one per tick unless
// `frameRate` gives their nominal rate (frames stamped with their own times in a finer time
// base). `pixelFormat` replaces the table's pixel format when set (FFV1 also keeps YUV 4:2:0
// pictures exactly).
AVCodecContext* OpenEncoder(const KWAviCompressOptions& options, int width, int height,
                            AVRational timeBase, bool globalHeader, std::string& error,
                            AVRational frameRate = {0, 1},
                            AVPixelFormat pixelFormat = AV_PIX_FMT_NONE);
} // namespace KWAviCodecs
