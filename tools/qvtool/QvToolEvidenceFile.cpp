#include "QvToolEvidenceFile.h"

#include "KWAviCodecs.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cstring>

namespace {
constexpr AVRational kMillisecond = {1, 1000};
constexpr AVRational kSampleTime = {1, QvToolEvidenceFile::kSampleRate};
constexpr std::int64_t kAacBitRate = 32000;
// Samples per PCM frame, which has no size of its own: 100 ms.
constexpr int kPcmFrameSamples = QvToolEvidenceFile::kSampleRate / 10;
constexpr float kSampleScale = 32768.0f;

const char* SoundEncoder(QvToolEvidenceFile::Format format) {
    return format == QvToolEvidenceFile::Format::kMp4 ? "aac" : "pcm_s16le";
}

KWAviCodec VideoCodec(QvToolEvidenceFile::Format format) {
    if (format == QvToolEvidenceFile::Format::kMkv)
        return KWAviCodec::kFfv1;
    return KWAviCodecs::IsAvailable(KWAviCodec::kH264) ? KWAviCodec::kH264 : KWAviCodec::kMpeg4;
}
} // namespace

QvToolEvidenceFile::~QvToolEvidenceFile() {
    avcodec_free_context(&m_video);
    avcodec_free_context(&m_sound);
    av_frame_free(&m_picture);
    av_frame_free(&m_soundFrame);
}

bool QvToolEvidenceFile::Fail(const std::string& text) {
    m_error = m_setup.path + ": " + text;
    return false;
}

const char* QvToolEvidenceFile::GetVideoCodec() const {
    return KWAviCodecs::Find(VideoCodec(m_setup.format))->encoder;
}

const char* QvToolEvidenceFile::GetSoundCodec() const {
    return m_setup.withSound ? SoundEncoder(m_setup.format) : nullptr;
}

std::int64_t QvToolEvidenceFile::FrameDuration() const {
    return std::max<std::int64_t>(m_setup.frameIntervalMs, 1);
}

bool QvToolEvidenceFile::Open(const Setup& setup) {
    m_setup = setup;
    const bool mp4 = setup.format == Format::kMp4;
    if (!m_output.Prepare(setup.path,
                          mp4 ? KWAviOutput::Container::kMp4 : KWAviOutput::Container::kMatroska))
        return Fail(m_output.GetError());
    m_videoStream = m_output.AddStream();
    if (m_videoStream == nullptr)
        return Fail(m_output.GetError());
    KWAviCompressOptions options;
    options.codec = VideoCodec(setup.format);
    const AVRational rate = setup.frameIntervalMs > 0
                                ? AVRational{1000, static_cast<int>(setup.frameIntervalMs)}
                                : AVRational{0, 1};
    std::string error;
    m_video =
        KWAviCodecs::OpenEncoder(options, setup.width, setup.height, kMillisecond,
                                 m_output.WantsGlobalHeader(), error, rate, AV_PIX_FMT_YUV420P);
    if (m_video == nullptr)
        return Fail(error);
    if (avcodec_parameters_from_context(m_videoStream->codecpar, m_video) < 0)
        return Fail("the video stream cannot be set up");
    m_videoStream->time_base = kMillisecond;
    m_picture = av_frame_alloc();
    if (m_picture == nullptr)
        return Fail("out of memory");
    m_picture->format = AV_PIX_FMT_YUV420P;
    m_picture->width = setup.width;
    m_picture->height = setup.height;
    if (av_frame_get_buffer(m_picture, 0) < 0)
        return Fail("out of memory");
    if (setup.withSound && !OpenSound(setup.format))
        return false;
    if (!m_output.Open() || !m_output.WriteHeader())
        return Fail(m_output.GetError());
    return true;
}

bool QvToolEvidenceFile::OpenSound(Format format) {
    const AVCodec* codec = avcodec_find_encoder_by_name(SoundEncoder(format));
    m_soundStream = m_output.AddStream();
    if (codec == nullptr || m_soundStream == nullptr)
        return Fail(std::string("this machine's FFmpeg has no ") + SoundEncoder(format) +
                    " encoder");
    m_sound = avcodec_alloc_context3(codec);
    m_soundFrame = av_frame_alloc();
    if (m_sound == nullptr || m_soundFrame == nullptr)
        return Fail("out of memory");
    m_sound->sample_rate = kSampleRate;
    m_sound->time_base = kSampleTime;
    m_sound->sample_fmt = format == Format::kMp4 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&m_sound->ch_layout, 1);
    if (format == Format::kMp4)
        m_sound->bit_rate = kAacBitRate;
    if (m_output.WantsGlobalHeader())
        m_sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_sound, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(m_soundStream->codecpar, m_sound) < 0)
        return Fail("the sound encoder cannot be opened");
    m_soundStream->time_base = kSampleTime;
    return true;
}

bool QvToolEvidenceFile::AddPicture(const std::uint8_t* const* planes, std::int64_t timeMs) {
    if (av_frame_make_writable(m_picture) < 0)
        return Fail("out of memory");
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? m_setup.width : m_setup.width / 2;
        const int height = plane == 0 ? m_setup.height : m_setup.height / 2;
        for (int y = 0; y < height; ++y)
            std::memcpy(m_picture->data[plane] +
                            static_cast<std::ptrdiff_t>(y) * m_picture->linesize[plane],
                        planes[plane] + static_cast<std::ptrdiff_t>(y) * width,
                        static_cast<std::size_t>(width));
    }
    m_picture->pts = timeMs;
    return m_output.Encode(*m_video, *m_videoStream, m_picture, FrameDuration()) ||
           Fail(m_output.GetError());
}

bool QvToolEvidenceFile::AddSound(const std::int16_t* samples, std::size_t count,
                                  std::int64_t timeMs) {
    if (m_sound == nullptr)
        return true;
    if (m_nextSample < 0)
        m_nextSample = timeMs * kSampleRate / 1000;
    m_waiting.insert(m_waiting.end(), samples, samples + count);
    return EncodeSound(false);
}

bool QvToolEvidenceFile::EncodeSound(bool all) {
    const std::size_t size = m_sound->frame_size > 0 ? static_cast<std::size_t>(m_sound->frame_size)
                                                     : static_cast<std::size_t>(kPcmFrameSamples);
    std::size_t used = 0;
    while (m_waiting.size() - used >= size || (all && used < m_waiting.size())) {
        const std::size_t count = std::min(size, m_waiting.size() - used);
        av_frame_unref(m_soundFrame);
        m_soundFrame->format = m_sound->sample_fmt;
        m_soundFrame->sample_rate = kSampleRate;
        m_soundFrame->nb_samples = static_cast<int>(count);
        if (av_channel_layout_copy(&m_soundFrame->ch_layout, &m_sound->ch_layout) < 0 ||
            av_frame_get_buffer(m_soundFrame, 0) < 0)
            return Fail("out of memory");
        const std::int16_t* from = m_waiting.data() + used;
        if (m_sound->sample_fmt == AV_SAMPLE_FMT_FLTP) {
            auto* to = reinterpret_cast<float*>(m_soundFrame->data[0]);
            for (std::size_t i = 0; i < count; ++i)
                to[i] = static_cast<float>(from[i]) / kSampleScale;
        } else {
            std::memcpy(m_soundFrame->data[0], from, count * sizeof(std::int16_t));
        }
        m_soundFrame->pts = m_nextSample;
        m_nextSample += static_cast<std::int64_t>(count);
        used += count;
        if (!m_output.Encode(*m_sound, *m_soundStream, m_soundFrame))
            return Fail(m_output.GetError());
    }
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

bool QvToolEvidenceFile::Finish() {
    if (m_sound != nullptr && !EncodeSound(true))
        return false;
    if (m_sound != nullptr && !m_output.Encode(*m_sound, *m_soundStream, nullptr))
        return Fail(m_output.GetError());
    if (!m_output.Encode(*m_video, *m_videoStream, nullptr, FrameDuration()) ||
        !m_output.Finish() || !m_output.Close())
        return Fail(m_output.GetError());
    return true;
}
