#include "CKWMediaDecoder.h"

#include "KWFileKind.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libavutil/parseutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <vector>

void KWFrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

namespace {
// A frame rate outside this range is a container's guess, not the recording's.
constexpr double kMinFrameRate = 1.0;
constexpr double kMaxFrameRate = 240.0;

AVCodecContext* OpenCodec(const AVStream& stream) {
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr) {
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr || avcodec_parameters_to_context(context, stream.codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return nullptr;
    }
    context->pkt_timebase = stream.time_base;
    return context;
}
} // namespace

CKWMediaDecoder::CKWMediaDecoder() = default;

CKWMediaDecoder::~CKWMediaDecoder() {
    Close();
}

bool CKWMediaDecoder::Fail(const std::string& text) {
    m_error = text;
    Close();
    return false;
}

bool CKWMediaDecoder::Open(const std::string& path) {
    Close();
    m_error.clear();
    if (const std::string problem = KWInputFileProblem(path); !problem.empty()) {
        return Fail(problem);
    }
    if (avformat_open_input(&m_format, path.c_str(), nullptr, nullptr) < 0) {
        m_format = nullptr;
        return Fail("cannot read the file as a media file: " + path);
    }
    if (avformat_find_stream_info(m_format, nullptr) < 0) {
        return Fail("no stream information in " + path);
    }
    if (!OpenVideo()) {
        return Fail("no decodable video stream in " + path);
    }
    OpenAudio();
    m_packet = av_packet_alloc();
    m_audioFrame = av_frame_alloc();
    if (m_packet == nullptr || m_audioFrame == nullptr) {
        return Fail("out of memory");
    }
    m_path = path;
    return true;
}

bool CKWMediaDecoder::OpenVideo() {
    m_videoIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_videoIndex < 0) {
        return false;
    }
    const AVStream& stream = *m_format->streams[m_videoIndex];
    m_video = OpenCodec(stream);
    if (m_video == nullptr) {
        return false;
    }
    m_startTime = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    const double rate = av_q2d(stream.avg_frame_rate) > 0 ? av_q2d(stream.avg_frame_rate)
                                                          : av_q2d(stream.r_frame_rate);
    if (rate >= kMinFrameRate && rate <= kMaxFrameRate) {
        m_framePeriod = 1.0 / rate;
    }
    if (m_format->duration > 0) {
        m_duration = static_cast<double>(m_format->duration) / AV_TIME_BASE;
    } else if (stream.duration > 0) {
        m_duration = static_cast<double>(stream.duration) * av_q2d(stream.time_base);
    }
    return true;
}

void CKWMediaDecoder::OpenAudio() {
    m_audioIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, m_videoIndex, nullptr, 0);
    if (m_audioIndex >= 0) {
        m_audio = OpenCodec(*m_format->streams[m_audioIndex]);
    }
    if (m_audio == nullptr) {
        m_audioIndex = -1;
    }
}

void CKWMediaDecoder::Close() {
    avcodec_free_context(&m_video);
    avcodec_free_context(&m_audio);
    avformat_close_input(&m_format);
    av_packet_free(&m_packet);
    av_frame_free(&m_audioFrame);
    sws_freeContext(m_scaler);
    m_scaler = nullptr;
    swr_free(&m_resampler);
    m_videoIndex = m_audioIndex = -1;
    m_startTime = 0;
    m_duration = 0;
    m_framePeriod = 0.04;
    m_lastSeconds = 0;
    m_draining = m_drainingKey = false;
    m_decodeErrorsInRow = 0;
    m_path.clear();
}

bool CKWMediaDecoder::GetCreationTime(std::int64_t& seconds) const {
    if (m_format == nullptr) {
        return false;
    }
    const AVDictionaryEntry* entry = av_dict_get(m_format->metadata, "creation_time", nullptr, 0);
    std::int64_t microseconds = 0;
    if (entry == nullptr || av_parse_time(&microseconds, entry->value, 0) < 0) {
        return false;
    }
    seconds = microseconds / 1000000;
    return true;
}

void CKWMediaDecoder::SetAudioHandler(AudioHandler handler) {
    m_audioHandler = std::move(handler);
}

bool CKWMediaDecoder::SeekKeyFrame(double seconds) {
    if (m_format == nullptr) {
        return false;
    }
    const AVRational timeBase = m_format->streams[m_videoIndex]->time_base;
    const std::int64_t target =
        m_startTime +
        static_cast<std::int64_t>(std::floor(std::max(seconds, 0.0) / av_q2d(timeBase)));
    int result = avformat_seek_file(m_format, m_videoIndex, INT64_MIN, target, target, 0);
    if (result < 0) {
        // No key frame at or before the target in the index: start from the beginning.
        result = avformat_seek_file(m_format, m_videoIndex, INT64_MIN, m_startTime, INT64_MAX, 0);
    }
    avcodec_flush_buffers(m_video);
    if (m_audio != nullptr) {
        avcodec_flush_buffers(m_audio);
    }
    m_draining = m_drainingKey = false;
    m_decodeErrorsInRow = 0;
    return result >= 0;
}

double CKWMediaDecoder::SecondsOf(const AVFrame& frame) {
    if (frame.best_effort_timestamp == AV_NOPTS_VALUE) {
        m_lastSeconds += m_framePeriod;
    } else {
        const AVRational timeBase = m_format->streams[m_videoIndex]->time_base;
        m_lastSeconds =
            static_cast<double>(frame.best_effort_timestamp - m_startTime) * av_q2d(timeBase);
    }
    return m_lastSeconds;
}

CKWMediaDecoder::Result CKWMediaDecoder::ReadFrame(KWVideoFrame& out, bool keyOnly) {
    if (m_format == nullptr) {
        return Result::Error;
    }
    KWFramePtr frame(av_frame_alloc());
    if (!frame) {
        return Result::Error;
    }
    for (;;) {
        const int received = avcodec_receive_frame(m_video, frame.get());
        if (received == 0) {
            m_decodeErrorsInRow = 0;
            out.seconds = SecondsOf(*frame);
            out.frame = std::move(frame);
            return Result::Frame;
        }
        if (received == AVERROR_EOF) {
            if (!m_drainingKey) {
                return Result::End;
            }
            avcodec_flush_buffers(m_video);
            m_draining = m_drainingKey = false;
        } else if (received != AVERROR(EAGAIN)) {
            return Result::Error;
        }
        if (m_draining) {
            return Result::End;
        }
        // A read error past the last good packet ends the stream like the end of the file.
        if (av_read_frame(m_format, m_packet) < 0) {
            m_draining = true;
            avcodec_send_packet(m_video, nullptr);
            continue;
        }
        const bool isVideo = m_packet->stream_index == m_videoIndex;
        const bool isKey = (m_packet->flags & AV_PKT_FLAG_KEY) != 0;
        if (m_packet->stream_index == m_audioIndex && m_audioHandler) {
            DecodeAudio(*m_packet);
        } else if (isVideo && (!keyOnly || isKey)) {
            const int sent = avcodec_send_packet(m_video, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) &&
                ++m_decodeErrorsInRow >= kMaxDecodeErrorsInRow) {
                av_packet_unref(m_packet);
                return Result::Error;
            }
            if (keyOnly) {
                // Empty the decoder now so the key frame comes out without waiting for others.
                avcodec_send_packet(m_video, nullptr);
                m_draining = m_drainingKey = true;
            }
        }
        av_packet_unref(m_packet);
    }
}

bool CKWMediaDecoder::DecodeAudio(const AVPacket& packet) {
    if (avcodec_send_packet(m_audio, &packet) < 0) {
        return false;
    }
    while (avcodec_receive_frame(m_audio, m_audioFrame) == 0) {
        ResampleAudio(*m_audioFrame);
        av_frame_unref(m_audioFrame);
    }
    return true;
}

bool CKWMediaDecoder::ResampleAudio(const AVFrame& frame) {
    if (m_resampler == nullptr) {
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&m_resampler, &stereo, AV_SAMPLE_FMT_S16, kAudioRate,
                                const_cast<AVChannelLayout*>(&frame.ch_layout),
                                static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(m_resampler) < 0) {
            swr_free(&m_resampler);
            return false;
        }
    }
    const int capacity = swr_get_out_samples(m_resampler, frame.nb_samples);
    if (capacity <= 0) {
        return false;
    }
    std::vector<std::int16_t> samples(static_cast<std::size_t>(capacity) * kAudioChannels);
    auto* output = reinterpret_cast<std::uint8_t*>(samples.data());
    const int converted =
        swr_convert(m_resampler, &output, capacity,
                    const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    if (converted > 0) {
        m_audioHandler(samples.data(), converted);
    }
    return converted >= 0;
}

bool CKWMediaDecoder::ConvertPicture(const KWVideoFrame& frame, KWPicture& picture) {
    const AVFrame& source = *frame.frame;
    if (source.width <= 0 || source.height <= 0) {
        return false;
    }
    m_scaler = sws_getCachedContext(
        m_scaler, source.width, source.height, static_cast<AVPixelFormat>(source.format),
        source.width, source.height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (m_scaler == nullptr) {
        return false;
    }
    picture.width = source.width;
    picture.height = source.height;
    picture.bgra.resize(static_cast<std::size_t>(source.width) * source.height * 4);
    std::uint8_t* planes[1] = {picture.bgra.data()};
    const int strides[1] = {source.width * 4};
    sws_scale(m_scaler, source.data, source.linesize, 0, source.height, planes, strides);
    const double sampleAspect =
        source.sample_aspect_ratio.num > 0 ? av_q2d(source.sample_aspect_ratio) : 1.0;
    picture.displayAspect = sampleAspect * source.width / source.height;
    picture.seconds = frame.seconds;
    return true;
}
