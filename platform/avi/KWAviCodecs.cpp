#include "KWAviCodecs.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/rational.h>
}

#include <algorithm>

namespace KWAviCodecs {
namespace {
// The scale of FFmpeg's fixed quantiser (MJPEG, MPEG-4): 2 is the finest step, 31 the coarsest.
constexpr int kFinestQuantiser = 2;
constexpr int kCoarsestQuantiser = 31;
// The constant-quality factor of H.264 between the best and the smallest quality.
constexpr double kBestH264Factor = 10;
constexpr double kSmallestH264Factor = 45;
// H.264 encodes fast enough to follow a live export on a small machine.
const char* const kH264Preset = "faster";

// The share of the way from the smallest file (0) to the best picture (1).
double QualityShare(std::uint32_t quality) {
    const std::uint32_t q =
        std::clamp(quality == 0 ? kDefaultQuality : quality, kMinQuality, kMaxQuality);
    return static_cast<double>(q - kMinQuality) / (kMaxQuality - kMinQuality);
}
} // namespace

const std::vector<Info>& Table() {
    static const std::vector<Info> table = {
        // codec, name, key, encoder, pixel format, quality, key frames, even size
        {KWAviCodec::kFullFrames, "Full Frames (Uncompressed)", "raw", nullptr, AV_PIX_FMT_BGR24,
         false, false, false},
        {KWAviCodec::kMotionJpeg, "Motion JPEG", "mjpeg", "mjpeg", AV_PIX_FMT_YUV420P, true, false,
         false},
        {KWAviCodec::kMpeg4, "MPEG-4 Part 2", "mpeg4", "mpeg4", AV_PIX_FMT_YUV420P, true, true,
         false},
        {KWAviCodec::kFfv1, "FFV1 (Lossless)", "ffv1", "ffv1", AV_PIX_FMT_0RGB32, false, true,
         false},
        {KWAviCodec::kH264, "H.264", "h264", "libx264", AV_PIX_FMT_YUV420P, true, true, true},
    };
    return table;
}

const Info* Find(KWAviCodec codec) {
    for (const Info& info : Table())
        if (info.codec == codec)
            return &info;
    return nullptr;
}

const Info* FindKey(const std::string& key) {
    for (const Info& info : Table())
        if (key == info.key)
            return &info;
    return nullptr;
}

bool IsAvailable(KWAviCodec codec) {
    const Info* info = Find(codec);
    return info != nullptr &&
           (info->encoder == nullptr || avcodec_find_encoder_by_name(info->encoder) != nullptr);
}

std::vector<KWAviCodec> Offered() {
    std::vector<KWAviCodec> offered;
    for (const Info& info : Table())
        if (IsAvailable(info.codec))
            offered.push_back(info.codec);
    return offered;
}

AVCodecContext* OpenEncoder(const KWAviCompressOptions& options, int width, int height,
                            AVRational timeBase, bool globalHeader, std::string& error,
                            AVRational frameRate, AVPixelFormat pixelFormat) {
    const Info* info = Find(options.codec);
    const AVCodec* codec = info != nullptr && info->encoder != nullptr
                               ? avcodec_find_encoder_by_name(info->encoder)
                               : nullptr;
    if (codec == nullptr) {
        error = "this machine has no encoder for the chosen compressor";
        return nullptr;
    }
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    if (encoder == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = pixelFormat != AV_PIX_FMT_NONE ? pixelFormat : info->pixelFormat;
    // Encoders want the time base in lowest terms (200/1000 s is 1/5 s).
    av_reduce(&encoder->time_base.num, &encoder->time_base.den, timeBase.num, timeBase.den,
              INT32_MAX);
    encoder->framerate = frameRate.num > 0 ? frameRate : av_inv_q(encoder->time_base);
    // Frames leave the encoder in their own order: AVI has no presentation times, and an export
    // stamps each frame with its recorded time.
    encoder->max_b_frames = 0;
    if (info->hasKeyFrames)
        encoder->gop_size = static_cast<int>(
            std::min(options.keyFrameEvery == 0 ? kDefaultKeyFrameEvery : options.keyFrameEvery,
                     kMaxKeyFrameEvery));
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const double share = QualityShare(options.quality);
    switch (options.codec) {
    case KWAviCodec::kMotionJpeg:
        // JPEG pictures use the full range of luma values.
        encoder->color_range = AVCOL_RANGE_JPEG;
        [[fallthrough]];
    case KWAviCodec::kMpeg4:
        encoder->flags |= AV_CODEC_FLAG_QSCALE;
        encoder->global_quality =
            FF_QP2LAMBDA * static_cast<int>(kCoarsestQuantiser -
                                            share * (kCoarsestQuantiser - kFinestQuantiser) + 0.5);
        break;
    case KWAviCodec::kH264:
        av_opt_set_double(encoder->priv_data, "crf",
                          kSmallestH264Factor - share * (kSmallestH264Factor - kBestH264Factor), 0);
        av_opt_set(encoder->priv_data, "preset", kH264Preset, 0);
        break;
    default:
        break;
    }
    const int opened = avcodec_open2(encoder, codec, nullptr);
    if (opened < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, reason, sizeof reason);
        error = std::string("the ") + info->name + " encoder cannot be opened: " + reason;
        avcodec_free_context(&encoder);
    }
    return encoder;
}
} // namespace KWAviCodecs
