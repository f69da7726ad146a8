#include "KWAviWriter.h"

#include "CKWImageBuffer.h"
#include "KWAviCodecs.h"
#include "KWAviOutput.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstring>

namespace {
constexpr std::uint32_t kMillisecondsPerSecond = 1000;
const char* const kNoFrameText = "no frame was written";
} // namespace

struct KWAviWriterState {
    KWAviOutput file;
    std::uint32_t framePeriodMs = 0;
    AVStream* videoStream = nullptr;
    // The compressed stream: made once the stream has its format and the header is written.
    // Full frames have no encoder.
    bool compressed = false;
    AVCodecContext* encoder = nullptr;
    // Brings bitmaps into the stream's size and the encoder's pixel format.
    SwsContext* scaler = nullptr;
    AVFrame* picture = nullptr;
    std::uint32_t frameIndex = 0;
    bool error = false;
    std::string errorText;

    ~KWAviWriterState() {
        avcodec_free_context(&encoder);
        sws_freeContext(scaler);
        av_frame_free(&picture);
    }

    AVRational TimeBase() const {
        return AVRational{static_cast<int>(framePeriodMs),
                          static_cast<int>(kMillisecondsPerSecond)};
    }
    int Width() const { return videoStream->codecpar->width; }
    int Height() const { return videoStream->codecpar->height; }

    KWAviResult Fail(const std::string& text) {
        if (!error)
            errorText = text;
        error = true;
        return AVIERR_ERROR;
    }
    KWAviResult FailWithFileError() { return Fail(file.GetError()); }

    KWAviResult CreateVideoStream(const CKWImageBuffer& bitmap);
    KWAviResult MakeCompressedStream(const KWAviCompressOptions& options);
    KWAviResult WriteFullFrame(const CKWImageBuffer& bitmap);
    KWAviResult WriteEncodedFrame(const CKWImageBuffer& bitmap);
    bool Scale(const CKWImageBuffer& bitmap, std::uint8_t* const* rows, const int* strides,
               AVPixelFormat format, bool fullRange);
};

namespace {
KWAviResult CheckCall(const KWAviWriterState* state, const CKWImageBuffer* bitmap) {
    if (state == nullptr)
        return AVIERR_BADHANDLE;
    if (bitmap == nullptr || bitmap->IsEmpty())
        return AVIERR_BADPARAM;
    return state->error ? AVIERR_ERROR : AVIERR_OK;
}

const std::uint8_t* Pixels(const CKWImageBuffer& bitmap) {
    return bitmap.GetBitmap() + CKWImageBuffer::kInfoHeaderBytes;
}
} // namespace

KWAviResult KWAviWriterState::CreateVideoStream(const CKWImageBuffer& bitmap) {
    videoStream = file.AddStream();
    if (videoStream == nullptr)
        return FailWithFileError();
    AVCodecParameters& format = *videoStream->codecpar;
    format.codec_type = AVMEDIA_TYPE_VIDEO;
    format.width = bitmap.GetWidth();
    format.height = bitmap.GetHeight();
    videoStream->time_base = TimeBase();
    videoStream->avg_frame_rate = av_inv_q(TimeBase());
    videoStream->r_frame_rate = videoStream->avg_frame_rate;
    return AVIERR_OK;
}

KWAviResult KWAviWriterState::MakeCompressedStream(const KWAviCompressOptions& options) {
    AVCodecParameters& format = *videoStream->codecpar;
    if (options.codec == KWAviCodec::kFullFrames) {
        // A BI_RGB bitmap format: no compression tag, 24 bits, rows bottom-up.
        format.codec_id = AV_CODEC_ID_RAWVIDEO;
        format.codec_tag = 0;
        format.format = AV_PIX_FMT_BGR24;
        format.bits_per_coded_sample = CKWImageBuffer::kBitsPerPixel;
    } else {
        // A picture of odd size loses its last column or row to such an encoder.
        const KWAviCodecs::Info* info = KWAviCodecs::Find(options.codec);
        if (info != nullptr && info->evenSize) {
            format.width &= ~1;
            format.height &= ~1;
        }
        std::string reason;
        encoder = KWAviCodecs::OpenEncoder(options, Width(), Height(), TimeBase(),
                                           file.WantsGlobalHeader(), reason);
        if (encoder == nullptr)
            return Fail(reason);
        picture = av_frame_alloc();
        if (picture == nullptr)
            return Fail("out of memory");
        picture->format = encoder->pix_fmt;
        picture->width = encoder->width;
        picture->height = encoder->height;
        if (av_frame_get_buffer(picture, 0) < 0)
            return Fail("out of memory");
        if (avcodec_parameters_from_context(&format, encoder) < 0)
            return Fail("out of memory");
    }
    if (!file.WriteHeader(true))
        return FailWithFileError();
    compressed = true;
    return AVIERR_OK;
}

// Scales and converts the bitmap into the rows given (top row first).
bool KWAviWriterState::Scale(const CKWImageBuffer& bitmap, std::uint8_t* const* rows,
                             const int* strides, AVPixelFormat format, bool fullRange) {
    // A picture one pixel wider or higher than the stream (an odd size for an encoder that
    // takes even ones) is cut rather than scaled.
    auto fit = [](int source, int stream) { return source - stream == 1 ? stream : source; };
    const int width = fit(bitmap.GetWidth(), Width());
    const int height = fit(bitmap.GetHeight(), Height());
    scaler = sws_getCachedContext(scaler, width, height, AV_PIX_FMT_BGR24, Width(), Height(),
                                  format, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (scaler == nullptr)
        return false;
    const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(scaler, coefficients, 1, coefficients, fullRange ? 1 : 0, 0, 1 << 16,
                             1 << 16);
    // The bitmap's last row in memory is its top row.
    const int rowBytes = static_cast<int>(bitmap.GetRowBytes());
    const std::uint8_t* top =
        Pixels(bitmap) + static_cast<std::size_t>(bitmap.GetHeight() - 1) * bitmap.GetRowBytes();
    const int sourceStride = -rowBytes;
    return sws_scale(scaler, &top, &sourceStride, 0, height, rows, strides) == Height();
}

KWAviResult KWAviWriterState::WriteFullFrame(const CKWImageBuffer& bitmap) {
    const std::uint64_t rowBytes = CKWImageBuffer::RowBytes(Width());
    const std::uint64_t frameBytes = rowBytes * static_cast<std::uint64_t>(Height());
    if (frameBytes > INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE)
        return Fail("the picture is too large for a frame of an AVI file");
    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr || av_new_packet(packet, static_cast<int>(frameBytes)) < 0) {
        av_packet_free(&packet);
        return Fail("out of memory");
    }
    if (bitmap.GetWidth() == Width() && bitmap.GetHeight() == Height()) {
        std::memcpy(packet->data, Pixels(bitmap), static_cast<std::size_t>(packet->size));
    } else {
        // Written bottom-up like the bitmap: the top row is the packet's last.
        std::uint8_t* top = packet->data + (Height() - 1) * rowBytes;
        const int stride = -static_cast<int>(rowBytes);
        if (!Scale(bitmap, &top, &stride, AV_PIX_FMT_BGR24, true)) {
            av_packet_free(&packet);
            return Fail("the picture cannot be scaled to the stream's size");
        }
    }
    packet->flags |= AV_PKT_FLAG_KEY;
    packet->pts = packet->dts = frameIndex;
    packet->duration = 1;
    const bool written = file.WritePacket(*videoStream, *packet, TimeBase());
    av_packet_free(&packet);
    return written ? AVIERR_OK : FailWithFileError();
}

KWAviResult KWAviWriterState::WriteEncodedFrame(const CKWImageBuffer& bitmap) {
    if (av_frame_make_writable(picture) < 0)
        return Fail("out of memory");
    if (!Scale(bitmap, picture->data, picture->linesize, encoder->pix_fmt,
               encoder->color_range == AVCOL_RANGE_JPEG))
        return Fail("the picture cannot be converted for the encoder");
    picture->pts = frameIndex;
    return file.Encode(*encoder, *videoStream, picture) ? AVIERR_OK : FailWithFileError();
}

KWAviWriterState* CreateAvi(const std::string& path, std::uint32_t framePeriodMs,
                            const KWWaveFormat* audioFormat) {
    if (audioFormat != nullptr || framePeriodMs == 0 ||
        framePeriodMs > static_cast<std::uint32_t>(INT32_MAX))
        return nullptr;
    auto* state = new KWAviWriterState;
    state->framePeriodMs = framePeriodMs;
    if (!state->file.Prepare(path) || !state->file.Open()) {
        delete state;
        return nullptr;
    }
    return state;
}

KWAviResult SetVideoCompression(KWAviWriterState* state, const CKWImageBuffer* bitmap,
                                KWAviCompressOptions* options,
                                const KWAviCompressionDialog& showDialog) {
    if (KWAviResult result = CheckCall(state, bitmap))
        return result;
    if (state->compressed)
        return AVIERR_COMPRESSOR;
    if (state->videoStream == nullptr)
        if (KWAviResult result = state->CreateVideoStream(*bitmap))
            return result;
    KWAviCompressOptions chosen = options != nullptr ? *options : KWAviCompressOptions{};
    // A cancelled dialog leaves the options as they stand.
    if (showDialog)
        showDialog(chosen);
    if (options != nullptr)
        *options = chosen;
    return state->MakeCompressedStream(chosen);
}

KWAviResult AddAviFrame(KWAviWriterState* state, const CKWImageBuffer* bitmap) {
    if (KWAviResult result = CheckCall(state, bitmap))
        return result;
    if (state->videoStream == nullptr)
        if (KWAviResult result = state->CreateVideoStream(*bitmap))
            return result;
    if (!state->compressed)
        if (KWAviResult result = state->MakeCompressedStream(KWAviCompressOptions{}))
            return result;
    const KWAviResult result = state->encoder == nullptr ? state->WriteFullFrame(*bitmap)
                                                         : state->WriteEncodedFrame(*bitmap);
    if (result == AVIERR_OK)
        ++state->frameIndex;
    return result;
}

KWAviResult CloseAvi(KWAviWriterState* state, std::string* error) {
    if (state == nullptr)
        return AVIERR_BADHANDLE;
    if (state->encoder != nullptr && !state->error &&
        !state->file.Encode(*state->encoder, *state->videoStream, nullptr))
        state->FailWithFileError();
    // The index is written even after a failure: what reached the file stays playable when
    // the disk takes it.
    if (state->file.IsHeaderWritten() && !state->file.Finish())
        state->FailWithFileError();
    if (state->frameIndex == 0)
        state->Fail(kNoFrameText);
    if (!state->file.Close())
        state->FailWithFileError();
    const bool complete = !state->error;
    if (error != nullptr)
        *error = state->errorText;
    delete state;
    return complete ? AVIERR_OK : AVIERR_ERROR;
}

std::uint32_t GetAviFrameCount(const KWAviWriterState* state) {
    return state != nullptr ? state->frameIndex : 0;
}
