#include "KWAviOutput.h"

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

namespace {
struct ContainerInfo {
    KWAviOutput::Container container;
    const char* format; // FFmpeg's muxer
    const char* kind;   // the file as failure texts name it
};
constexpr ContainerInfo kContainers[] = {
    {KWAviOutput::Container::kAvi, "avi", "AVI file"},
    {KWAviOutput::Container::kMp4, "mp4", "MP4 file"},
    {KWAviOutput::Container::kMatroska, "matroska", "MKV file"},
};
} // namespace

KWAviOutput::~KWAviOutput() {
    if (m_context != nullptr) {
        avio_closep(&m_context->pb);
        avformat_free_context(m_context);
    }
}

bool KWAviOutput::Fail(const std::string& text, int code) {
    m_error = text;
    if (code < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, reason, sizeof reason);
        m_error += std::string(": ") + reason;
    }
    return false;
}

bool KWAviOutput::Prepare(const std::string& path, Container container) {
    m_path = path;
    const char* format = kContainers[0].format;
    for (const ContainerInfo& info : kContainers) {
        if (info.container == container) {
            format = info.format;
            m_kind = info.kind;
        }
    }
    const int result = avformat_alloc_output_context2(&m_context, nullptr, format, nullptr);
    return result >= 0 || Fail("cannot prepare the " + m_kind, result);
}

AVStream* KWAviOutput::AddStream() {
    AVStream* stream = m_context != nullptr ? avformat_new_stream(m_context, nullptr) : nullptr;
    if (stream == nullptr)
        Fail("out of memory");
    return stream;
}

bool KWAviOutput::WantsGlobalHeader() const {
    return m_context != nullptr && (m_context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

bool KWAviOutput::Open() {
    if (m_context == nullptr)
        return Fail("no " + m_kind + " prepared");
    const int result = avio_open(&m_context->pb, m_path.c_str(), AVIO_FLAG_WRITE);
    return result >= 0 || Fail("cannot create " + m_path, result);
}

bool KWAviOutput::IsOpen() const {
    return m_context != nullptr && m_context->pb != nullptr;
}

bool KWAviOutput::WriteHeader(bool bottomUpRgb) {
    if (!IsOpen())
        return Fail("no " + m_kind + " open");
    AVDictionary* options = nullptr;
    if (bottomUpRgb)
        av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    const int result = avformat_write_header(m_context, &options);
    av_dict_free(&options);
    m_headerWritten = result >= 0;
    return m_headerWritten || Fail("cannot write the header of the " + m_kind, result);
}

bool KWAviOutput::WritePacket(AVStream& stream, AVPacket& packet, AVRational timeBase) {
    if (!m_headerWritten)
        return Fail("the header of the " + m_kind + " is missing");
    av_packet_rescale_ts(&packet, timeBase, stream.time_base);
    packet.stream_index = stream.index;
    packet.pos = -1;
    const int result = av_interleaved_write_frame(m_context, &packet);
    return result >= 0 || Fail("cannot write the " + m_kind, result);
}

bool KWAviOutput::Encode(AVCodecContext& encoder, AVStream& stream, const AVFrame* frame,
                         std::int64_t duration) {
    const int sent = avcodec_send_frame(&encoder, frame);
    if (sent < 0)
        return Fail("the encoder refused a frame", sent);
    AVPacket* encoded = av_packet_alloc();
    if (encoded == nullptr)
        return Fail("out of memory");
    bool written = true;
    int received = 0;
    while (written && (received = avcodec_receive_packet(&encoder, encoded)) == 0) {
        if (encoded->duration == 0)
            encoded->duration = duration;
        written = WritePacket(stream, *encoded, encoder.time_base);
        av_packet_unref(encoded);
    }
    av_packet_free(&encoded);
    if (written && received != AVERROR(EAGAIN) && received != AVERROR_EOF)
        return Fail("the encoder failed", received);
    return written;
}

bool KWAviOutput::Finish() {
    if (!m_headerWritten)
        return Fail("the header of the " + m_kind + " is missing");
    const int result = av_write_trailer(m_context);
    return result >= 0 || Fail("cannot finish the " + m_kind, result);
}

// The muxer's buffer reaches the file only here; a write error it meets is kept by the I/O
// context, which closing alone would not report.
bool KWAviOutput::Close() {
    if (!IsOpen())
        return true;
    avio_flush(m_context->pb);
    const int error = m_context->pb->error;
    const int closed = avio_closep(&m_context->pb);
    if (error < 0)
        return Fail("cannot write the " + m_kind, error);
    return closed >= 0 || Fail("cannot close the " + m_kind, closed);
}
