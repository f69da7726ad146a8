#pragma once
#include "KWAviOutput.h"

#include <cstdint>
#include <string>
#include <vector>

// One file of an evidence export: the pictures of one channel, each shown from its recorded
// time (presentation times in milliseconds, not a fixed rate), and in the first channel's file
// the sound. MP4 holds H.264 (MPEG-4 Part 2 where FFmpeg has no H.264 encoder) and AAC; MKV
// holds lossless FFV1 and 16-bit PCM for those who must not re-compress.
class QvToolEvidenceFile {
public:
    enum class Format { kMp4, kMkv };
    static constexpr int kSampleRate = 8000;

    struct Setup {
        std::string path;
        Format format = Format::kMp4;
        int width = 0;
        int height = 0;
        bool withSound = false;
        std::uint32_t frameIntervalMs = 0; // the recording's nominal pace; 0 when unknown
    };

    QvToolEvidenceFile() = default;
    ~QvToolEvidenceFile();
    QvToolEvidenceFile(const QvToolEvidenceFile&) = delete;
    QvToolEvidenceFile& operator=(const QvToolEvidenceFile&) = delete;

    // Creates the file and writes its header.
    bool Open(const Setup& setup);
    // Adds a picture (YUV 4:2:0 planes, lines of width and width / 2 bytes) shown from `timeMs`,
    // which must rise from picture to picture.
    bool AddPicture(const std::uint8_t* const* planes, std::int64_t timeMs);
    // Adds sound samples; the first ones start at `timeMs`, every later one follows on.
    bool AddSound(const std::int16_t* samples, std::size_t count, std::int64_t timeMs);
    // Drains the encoders and completes the file.
    bool Finish();

    // The video and sound codecs, as FFmpeg names their encoders.
    const char* GetVideoCodec() const;
    const char* GetSoundCodec() const;
    const std::string& GetError() const { return m_error; }

private:
    bool Fail(const std::string& text);
    // How long a picture shows when nothing follows it, in milliseconds.
    std::int64_t FrameDuration() const;
    bool OpenSound(Format format);
    // Encodes the waiting samples in frames of the encoder's size; `all` sends a short last one.
    bool EncodeSound(bool all);

    KWAviOutput m_output;
    Setup m_setup;
    AVCodecContext* m_video = nullptr;
    AVStream* m_videoStream = nullptr;
    AVFrame* m_picture = nullptr;
    AVCodecContext* m_sound = nullptr;
    AVStream* m_soundStream = nullptr;
    AVFrame* m_soundFrame = nullptr;
    std::vector<std::int16_t> m_waiting;
    std::int64_t m_nextSample = -1; // the time of m_waiting's first sample, in samples
    std::string m_error;
};
