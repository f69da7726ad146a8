#pragma once
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// A video file written through one of FFmpeg's muxers: AVI (the viewer's captures), MP4 or
// Matroska (evidence exports, whose frames carry their own presentation times). In order:
// Prepare, AddStream for every stream (and set it up), Open (creates the file), WriteHeader,
// packets and encoded frames, Finish (the index), Close. Every failure keeps a text for the
// user; a write that the system refuses, a full disk included, is a failure of the call that
// wrote and of every later one.
class KWAviOutput {
public:
    enum class Container { kAvi, kMp4, kMatroska };

    KWAviOutput() = default;
    // Closes the file without finishing it.
    ~KWAviOutput();
    KWAviOutput(const KWAviOutput&) = delete;
    KWAviOutput& operator=(const KWAviOutput&) = delete;

    // Sets up the muxer for a file at `path`; nothing is created yet.
    bool Prepare(const std::string& path, Container container = Container::kAvi);
    AVStream* AddStream();
    // Encoders of the streams put their headers in the stream, not the file header, unless
    // this says otherwise (AV_CODEC_FLAG_GLOBAL_HEADER).
    bool WantsGlobalHeader() const;
    // Creates or truncates the file.
    bool Open();
    bool IsOpen() const;
    // Raw RGB streams hold their rows bottom-up, as device-independent bitmaps do, when
    // `bottomUpRgb` is set.
    bool WriteHeader(bool bottomUpRgb = false);
    bool IsHeaderWritten() const { return m_headerWritten; }
    // Writes a packet stamped in `timeBase` into `stream`, interleaved with the other streams.
    bool WritePacket(AVStream& stream, AVPacket& packet, AVRational timeBase);
    // Encodes a frame (null: the end, which drains the encoder) and writes what comes out. Packets
    // the encoder gives no duration get `duration` (in the encoder's time base): with times of
    // their own, the last frame would otherwise end where it starts.
    bool Encode(AVCodecContext& encoder, AVStream& stream, const AVFrame* frame,
                std::int64_t duration = 0);
    // Writes the index and the final header fields.
    bool Finish();
    // Writes what is buffered and closes the file; false when not everything reached it.
    bool Close();

    const std::string& GetError() const { return m_error; }

private:
    bool Fail(const std::string& text, int code = 0);

    AVFormatContext* m_context = nullptr;
    std::string m_path;
    std::string m_kind = "AVI file"; // names the file in failure texts
    bool m_headerWritten = false;
    std::string m_error;
};
