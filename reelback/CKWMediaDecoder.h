#pragma once
#include "KWPicture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct SwrContext;

struct KWFrameDeleter {
    void operator()(AVFrame* frame) const;
};
using KWFramePtr = std::unique_ptr<AVFrame, KWFrameDeleter>;

// A decoded video frame and its position in seconds from the recording's first frame.
struct KWVideoFrame {
    KWFramePtr frame;
    double seconds = 0;
};

// Demuxes and decodes one media file: video frames in presentation order, sound (when a handler
// is set) as 16-bit stereo at 48 kHz. Not thread-safe: one thread drives it.
class CKWMediaDecoder {
public:
    static constexpr int kAudioRate = 48000;
    static constexpr int kAudioChannels = 2;
    // Packets in a row that the video decoder refuses before the stream counts as undecodable.
    static constexpr int kMaxDecodeErrorsInRow = 64;

    enum class Result { Frame, End, Error };
    using AudioHandler = std::function<void(const std::int16_t* samples, int frames)>;

    CKWMediaDecoder();
    ~CKWMediaDecoder();
    CKWMediaDecoder(const CKWMediaDecoder&) = delete;
    CKWMediaDecoder& operator=(const CKWMediaDecoder&) = delete;

    // Opens a file with a decodable video stream; on failure GetError() says why.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_format != nullptr; }
    const std::string& GetError() const { return m_error; }
    const std::string& GetPath() const { return m_path; }

    double GetDuration() const { return m_duration; }
    double GetFramePeriod() const { return m_framePeriod; }
    bool HasAudio() const { return m_audio != nullptr; }
    // The container's creation time in seconds since 1970-01-01 UTC, when it carries one.
    bool GetCreationTime(std::int64_t& seconds) const;

    // With a handler, sound packets are decoded and handed over while reading; without, skipped.
    void SetAudioHandler(AudioHandler handler);

    // Positions reading at the key frame at or before the given second.
    bool SeekKeyFrame(double seconds);
    // The next video frame. With keyOnly, only key frames are decoded, each on its own.
    Result ReadFrame(KWVideoFrame& out, bool keyOnly);
    // Converts a decoded frame into display pixels.
    bool ConvertPicture(const KWVideoFrame& frame, KWPicture& picture);

private:
    bool OpenVideo();
    void OpenAudio();
    bool DecodeAudio(const AVPacket& packet);
    bool ResampleAudio(const AVFrame& frame);
    double SecondsOf(const AVFrame& frame);
    bool Fail(const std::string& text);

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_video = nullptr;
    AVCodecContext* m_audio = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_audioFrame = nullptr;
    SwsContext* m_scaler = nullptr;
    SwrContext* m_resampler = nullptr;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    std::int64_t m_startTime = 0;
    double m_duration = 0;
    double m_framePeriod = 0.04;
    double m_lastSeconds = 0;
    bool m_draining = false;    // the end of the file was reached and the decoder is emptied
    bool m_drainingKey = false; // a lone key frame is being emptied out of the decoder
    int m_decodeErrorsInRow = 0;
    AudioHandler m_audioHandler;
    std::string m_path;
    std::string m_error;
};
