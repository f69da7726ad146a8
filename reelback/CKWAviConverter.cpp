#include "CKWAviConverter.h"

#include "KWAviOutput.h"
#include "KWFileKind.h"
#include "KWReplaceFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {
constexpr double kDefaultFrameRate = 25.0;
// Fixed quantiser of the MPEG-4 re-encoding: near-transparent at moderate size.
constexpr int kVideoQuantiser = 3;

// Codecs that AVI readers commonly play; anything else is re-encoded even where AVI has a tag.
constexpr AVCodecID kAviCodecs[] = {
    AV_CODEC_ID_MPEG4,      AV_CODEC_ID_MSMPEG4V3,  AV_CODEC_ID_H264,          AV_CODEC_ID_MJPEG,
    AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_PCM_S16LE,     AV_CODEC_ID_PCM_U8,
    AV_CODEC_ID_PCM_MULAW,  AV_CODEC_ID_PCM_ALAW,   AV_CODEC_ID_ADPCM_IMA_WAV, AV_CODEC_ID_ADPCM_MS,
    AV_CODEC_ID_MP3,        AV_CODEC_ID_MP2,        AV_CODEC_ID_AC3,
};

// A file this conversion created, removed again unless it was put in place.
struct NewFile {
    std::string path;
    bool placed = false;
    ~NewFile() {
        if (!placed) {
            std::remove(path.c_str());
        }
    }
};

bool FitsAvi(AVCodecID codec) {
    return std::find(std::begin(kAviCodecs), std::end(kAviCodecs), codec) != std::end(kAviCodecs) &&
           avformat_query_codec(av_guess_format("avi", nullptr, nullptr), codec,
                                FF_COMPLIANCE_NORMAL) == 1;
}
} // namespace

// One stream of the source and how it reaches the output.
struct CKWAviConverterStream {
    int input = -1;
    AVStream* output = nullptr;
    bool copy = true;
    AVBSFContext* filter = nullptr; // length-prefixed H.264 becomes start-code H.264
    AVCodecContext* decoder = nullptr;
    AVCodecContext* encoder = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVFrame* converted = nullptr;
    std::int64_t nextPts = 0;

    ~CKWAviConverterStream() {
        av_bsf_free(&filter);
        avcodec_free_context(&decoder);
        avcodec_free_context(&encoder);
        sws_freeContext(scaler);
        swr_free(&resampler);
        av_frame_free(&converted);
    }
};

struct CKWAviConverter::Job {
    AVFormatContext* input = nullptr;
    KWAviOutput output;
    std::vector<std::unique_ptr<CKWAviConverterStream>> streams;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::string error;
    long videoFrames = 0; // given to the output, copied or to be encoded

    ~Job() {
        streams.clear();
        avformat_close_input(&input);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }

    bool Fail(const std::string& text) {
        error = text;
        return false;
    }

    CKWAviConverterStream* StreamOf(int inputIndex) {
        for (auto& stream : streams) {
            if (stream->input == inputIndex) {
                return stream.get();
            }
        }
        return nullptr;
    }

    bool AddStream(int index);
    bool SetUpCopy(CKWAviConverterStream& stream, const AVStream& source);
    bool SetUpVideoEncoder(CKWAviConverterStream& stream, const AVStream& source);
    bool SetUpAudioEncoder(CKWAviConverterStream& stream, const AVStream& source);
    bool WriteCopied(CKWAviConverterStream& stream, AVPacket& copied);
    bool Transcode(CKWAviConverterStream& stream, const AVPacket* coded);
    bool Encode(CKWAviConverterStream& stream, const AVFrame* raw);
    const AVFrame* Convert(CKWAviConverterStream& stream, const AVFrame& decoded);
    bool WritePacket(CKWAviConverterStream& stream, AVPacket& outgoing, AVRational timeBase);
    // Counts a frame of the video stream (the first) given to the output.
    void CountFrame(const CKWAviConverterStream& stream);
};

bool CKWAviConverter::Job::AddStream(int index) {
    const AVStream& source = *input->streams[index];
    auto stream = std::make_unique<CKWAviConverterStream>();
    stream->input = index;
    stream->output = output.AddStream();
    if (stream->output == nullptr) {
        return Fail(output.GetError());
    }
    stream->copy = FitsAvi(source.codecpar->codec_id);
    const bool ready = stream->copy ? SetUpCopy(*stream, source)
                       : source.codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                           ? SetUpVideoEncoder(*stream, source)
                           : SetUpAudioEncoder(*stream, source);
    streams.push_back(std::move(stream));
    return ready;
}

bool CKWAviConverter::Job::SetUpCopy(CKWAviConverterStream& stream, const AVStream& source) {
    if (avcodec_parameters_copy(stream.output->codecpar, source.codecpar) < 0) {
        return Fail("cannot copy the stream parameters");
    }
    stream.output->codecpar->codec_tag = 0;
    if (source.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        // AVI counts video in frames: a finer time base would be padded with empty frames.
        const AVRational rate =
            source.avg_frame_rate.num > 0 ? source.avg_frame_rate : AVRational{25, 1};
        stream.output->time_base = av_inv_q(rate);
        stream.output->avg_frame_rate = rate;
    } else {
        stream.output->time_base = AVRational{1, source.codecpar->sample_rate};
    }
    const bool lengthPrefixed = source.codecpar->codec_id == AV_CODEC_ID_H264 &&
                                source.codecpar->extradata_size > 0 &&
                                source.codecpar->extradata[0] == 1;
    if (lengthPrefixed) {
        const AVBitStreamFilter* filter = av_bsf_get_by_name("h264_mp4toannexb");
        if (filter == nullptr || av_bsf_alloc(filter, &stream.filter) < 0 ||
            avcodec_parameters_copy(stream.filter->par_in, source.codecpar) < 0) {
            return Fail("cannot set up the H.264 stream filter");
        }
        stream.filter->time_base_in = source.time_base;
        if (av_bsf_init(stream.filter) < 0 ||
            avcodec_parameters_copy(stream.output->codecpar, stream.filter->par_out) < 0) {
            return Fail("cannot set up the H.264 stream filter");
        }
        stream.output->codecpar->codec_tag = 0;
    }
    return true;
}

namespace {
AVCodecContext* OpenDecoder(const AVStream& source) {
    const AVCodec* codec = avcodec_find_decoder(source.codecpar->codec_id);
    AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    if (context == nullptr || avcodec_parameters_to_context(context, source.codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return nullptr;
    }
    context->pkt_timebase = source.time_base;
    return context;
}
} // namespace

bool CKWAviConverter::Job::SetUpVideoEncoder(CKWAviConverterStream& stream,
                                             const AVStream& source) {
    stream.copy = false;
    stream.decoder = OpenDecoder(source);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (stream.decoder == nullptr || codec == nullptr) {
        return Fail("cannot decode the video stream");
    }
    stream.encoder = avcodec_alloc_context3(codec);
    stream.converted = av_frame_alloc();
    if (stream.encoder == nullptr || stream.converted == nullptr) {
        return Fail("out of memory");
    }
    const double rate =
        av_q2d(source.avg_frame_rate) > 0 ? av_q2d(source.avg_frame_rate) : kDefaultFrameRate;
    AVCodecContext& encoder = *stream.encoder;
    encoder.width = source.codecpar->width;
    encoder.height = source.codecpar->height;
    encoder.pix_fmt = AV_PIX_FMT_YUV420P;
    encoder.sample_aspect_ratio = source.codecpar->sample_aspect_ratio;
    encoder.time_base = av_inv_q(av_d2q(rate, 100000));
    encoder.framerate = av_inv_q(encoder.time_base);
    encoder.gop_size = static_cast<int>(rate);
    encoder.flags |= AV_CODEC_FLAG_QSCALE;
    encoder.global_quality = FF_QP2LAMBDA * kVideoQuantiser;
    if (output.WantsGlobalHeader()) {
        encoder.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(stream.encoder, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(stream.output->codecpar, stream.encoder) < 0) {
        return Fail("cannot set up the MPEG-4 encoder");
    }
    stream.output->time_base = encoder.time_base;
    stream.output->avg_frame_rate = encoder.framerate;
    return true;
}

bool CKWAviConverter::Job::SetUpAudioEncoder(CKWAviConverterStream& stream,
                                             const AVStream& source) {
    stream.copy = false;
    stream.decoder = OpenDecoder(source);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (stream.decoder == nullptr || codec == nullptr) {
        return Fail("cannot decode the sound stream");
    }
    stream.encoder = avcodec_alloc_context3(codec);
    stream.converted = av_frame_alloc();
    if (stream.encoder == nullptr || stream.converted == nullptr) {
        return Fail("out of memory");
    }
    AVCodecContext& encoder = *stream.encoder;
    encoder.sample_fmt = AV_SAMPLE_FMT_S16;
    encoder.sample_rate = source.codecpar->sample_rate;
    // More than two channels are folded into stereo.
    const AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&encoder.ch_layout,
                           source.codecpar->ch_layout.nb_channels == 1 ? &mono : &stereo);
    encoder.time_base = AVRational{1, encoder.sample_rate};
    if (avcodec_open2(stream.encoder, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(stream.output->codecpar, stream.encoder) < 0) {
        return Fail("cannot set up the PCM encoder");
    }
    stream.output->time_base = encoder.time_base;
    return true;
}

bool CKWAviConverter::Job::WritePacket(CKWAviConverterStream& stream, AVPacket& outgoing,
                                       AVRational timeBase) {
    if (!output.WritePacket(*stream.output, outgoing, timeBase)) {
        return Fail(output.GetError());
    }
    CountFrame(stream);
    return true;
}

void CKWAviConverter::Job::CountFrame(const CKWAviConverterStream& stream) {
    if (&stream == streams.front().get()) {
        ++videoFrames;
    }
}

bool CKWAviConverter::Job::WriteCopied(CKWAviConverterStream& stream, AVPacket& copied) {
    const AVRational timeBase = input->streams[stream.input]->time_base;
    if (stream.filter == nullptr) {
        return WritePacket(stream, copied, timeBase);
    }
    if (av_bsf_send_packet(stream.filter, &copied) < 0) {
        return Fail("damaged H.264 packet");
    }
    while (av_bsf_receive_packet(stream.filter, &copied) == 0) {
        if (!WritePacket(stream, copied, timeBase)) {
            return false;
        }
    }
    return true;
}

// Brings a decoded frame into the encoder's pixel or sample format.
const AVFrame* CKWAviConverter::Job::Convert(CKWAviConverterStream& stream,
                                             const AVFrame& decoded) {
    AVFrame& converted = *stream.converted;
    av_frame_unref(&converted);
    const AVCodecContext& encoder = *stream.encoder;
    if (encoder.codec_type == AVMEDIA_TYPE_VIDEO) {
        stream.scaler = sws_getCachedContext(stream.scaler, decoded.width, decoded.height,
                                             static_cast<AVPixelFormat>(decoded.format),
                                             encoder.width, encoder.height, encoder.pix_fmt,
                                             SWS_BICUBIC, nullptr, nullptr, nullptr);
        converted.format = encoder.pix_fmt;
        converted.width = encoder.width;
        converted.height = encoder.height;
        if (stream.scaler == nullptr || av_frame_get_buffer(&converted, 0) < 0) {
            return nullptr;
        }
        sws_scale(stream.scaler, decoded.data, decoded.linesize, 0, decoded.height, converted.data,
                  converted.linesize);
        const AVRational source = input->streams[stream.input]->time_base;
        std::int64_t pts =
            decoded.best_effort_timestamp == AV_NOPTS_VALUE
                ? stream.nextPts
                : av_rescale_q(decoded.best_effort_timestamp, source, encoder.time_base);
        pts = std::max(pts, stream.nextPts);
        converted.pts = pts;
        stream.nextPts = pts + 1;
        return &converted;
    }
    if (stream.resampler == nullptr &&
        (swr_alloc_set_opts2(&stream.resampler, &stream.encoder->ch_layout, encoder.sample_fmt,
                             encoder.sample_rate, const_cast<AVChannelLayout*>(&decoded.ch_layout),
                             static_cast<AVSampleFormat>(decoded.format), decoded.sample_rate, 0,
                             nullptr) < 0 ||
         swr_init(stream.resampler) < 0)) {
        return nullptr;
    }
    converted.format = encoder.sample_fmt;
    av_channel_layout_copy(&converted.ch_layout, &encoder.ch_layout);
    converted.sample_rate = encoder.sample_rate;
    converted.nb_samples = swr_get_out_samples(stream.resampler, decoded.nb_samples);
    if (converted.nb_samples <= 0 || av_frame_get_buffer(&converted, 0) < 0) {
        return nullptr;
    }
    const int samples =
        swr_convert(stream.resampler, converted.data, converted.nb_samples,
                    const_cast<const std::uint8_t**>(decoded.extended_data), decoded.nb_samples);
    if (samples <= 0) {
        return nullptr;
    }
    converted.nb_samples = samples;
    converted.pts = stream.nextPts;
    stream.nextPts += samples;
    return &converted;
}

bool CKWAviConverter::Job::Encode(CKWAviConverterStream& stream, const AVFrame* raw) {
    if (!output.Encode(*stream.encoder, *stream.output, raw)) {
        return Fail(output.GetError());
    }
    if (raw != nullptr) {
        CountFrame(stream);
    }
    return true;
}

// Decodes a packet (null: the end) and encodes what comes out. Undecodable packets of a damaged
// recording are skipped, as a player would.
bool CKWAviConverter::Job::Transcode(CKWAviConverterStream& stream, const AVPacket* coded) {
    if (avcodec_send_packet(stream.decoder, coded) < 0 && coded != nullptr) {
        return true;
    }
    while (avcodec_receive_frame(stream.decoder, frame) == 0) {
        const AVFrame* converted = Convert(stream, *frame);
        av_frame_unref(frame);
        if (converted != nullptr && !Encode(stream, converted)) {
            return false;
        }
    }
    return coded != nullptr || Encode(stream, nullptr);
}

CKWAviConverter::CKWAviConverter() = default;
CKWAviConverter::~CKWAviConverter() = default;

bool CKWAviConverter::Fail(const std::string& text) {
    m_error = text;
    return false;
}

bool CKWAviConverter::Convert(const std::string& source, const std::string& destination,
                              const Progress& progress) {
    m_error.clear();
    m_copiedVideo = m_copiedAudio = false;
    std::error_code ignored;
    if (destination.empty() || std::filesystem::equivalent(source, destination, ignored)) {
        return Fail("the output file must be another file than the input");
    }
    if (const std::string problem = KWInputFileProblem(source); !problem.empty()) {
        return Fail(problem);
    }
    if (const std::string problem = KWOutputFileProblem(destination); !problem.empty()) {
        return Fail(problem);
    }
    Job job;
    if (job.packet == nullptr || job.frame == nullptr) {
        return Fail("out of memory");
    }
    if (avformat_open_input(&job.input, source.c_str(), nullptr, nullptr) < 0) {
        return Fail("cannot read " + source);
    }
    if (avformat_find_stream_info(job.input, nullptr) < 0) {
        return Fail("no stream information in " + source);
    }
    const int video = av_find_best_stream(job.input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(job.input, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
    if (video < 0) {
        return Fail("no video stream in " + source);
    }
    // The AVI grows in a file of its own beside the destination, which it replaces only once
    // complete: a failure leaves whatever was there before and removes only this file, created
    // here exclusively.
    NewFile temporary;
    const int created = KWCreateFileBeside(destination, temporary.path);
    if (created < 0) {
        return Fail("cannot create a file beside " + destination + ": " + std::strerror(errno));
    }
    ::close(created);
    if (!job.output.Prepare(temporary.path)) {
        return Fail(job.output.GetError());
    }
    if (!job.AddStream(video) || (audio >= 0 && !job.AddStream(audio))) {
        return Fail(job.error);
    }
    bool done = [&] {
        if (!job.output.Open()) {
            return job.Fail(job.output.GetError());
        }
        if (!job.output.WriteHeader()) {
            return job.Fail(job.output.GetError());
        }
        const double duration =
            job.input->duration > 0 ? static_cast<double>(job.input->duration) / AV_TIME_BASE : 0;
        while (av_read_frame(job.input, job.packet) >= 0) {
            CKWAviConverterStream* stream = job.StreamOf(job.packet->stream_index);
            if (stream != nullptr && job.packet->stream_index == video && progress &&
                job.packet->dts != AV_NOPTS_VALUE && duration > 0) {
                const AVStream& in = *job.input->streams[video];
                const double at = static_cast<double>(job.packet->dts -
                                                      std::max<std::int64_t>(in.start_time, 0)) *
                                  av_q2d(in.time_base);
                if (!progress(std::clamp(at / duration, 0.0, 1.0))) {
                    av_packet_unref(job.packet);
                    return job.Fail(kCancelledError);
                }
            }
            const bool written = stream == nullptr ? true
                                 : stream->copy    ? job.WriteCopied(*stream, *job.packet)
                                                   : job.Transcode(*stream, job.packet);
            av_packet_unref(job.packet);
            if (!written) {
                return false;
            }
        }
        for (auto& stream : job.streams) {
            if (!stream->copy && !job.Transcode(*stream, nullptr)) {
                return false;
            }
        }
        if (job.videoFrames == 0) {
            return job.Fail("no video frame could be converted");
        }
        return job.output.Finish() || job.Fail(job.output.GetError());
    }();
    m_copiedVideo = job.streams[0]->copy;
    m_copiedAudio = job.streams.size() > 1 && job.streams[1]->copy;
    // What the muxer still holds reaches the file only now.
    if (!job.output.Close() && done) {
        done = job.Fail(job.output.GetError());
    }
    if (done && std::rename(temporary.path.c_str(), destination.c_str()) != 0) {
        done = job.Fail("cannot put the AVI file in place as " + destination + ": " +
                        std::strerror(errno));
    }
    if (!done) {
        return Fail(job.error);
    }
    temporary.placed = true;
    if (progress) {
        progress(1.0);
    }
    return true;
}
