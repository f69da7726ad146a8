#include "CQXFrameLister.h"

#include "CQXPlaybackStepper.h"
#include "CQXVideoFrame.h"
#include "KWSha256.h"

#include <cstdio>

namespace {
// Why a frame was not decoded when its channel has no decoder.
constexpr const char* kNoDecoderLabel = "channel";

// The failure counters a failed decode may have raised, in the order they are checked.
constexpr CQXVideoDecoder::Counter kFailures[] = {
    CQXVideoDecoder::kNullFrame,  CQXVideoDecoder::kFrameNotValid, CQXVideoDecoder::kZeroQuantiser,
    CQXVideoDecoder::kNoPicture,  CQXVideoDecoder::kRowOutOfRange, CQXVideoDecoder::kBadSliceStart,
    CQXVideoDecoder::kBlockFailed};
} // namespace

CQXFrameLister::CQXFrameLister() {
    m_ready = true;
    for (CQXVideoDecoder& decoder : m_decoders)
        m_ready = decoder.Initialize() && m_ready;
}

long CQXFrameLister::Walk(CQXPacketSource& source, const LineSink& sink, const Walking& walking) {
    if (!m_ready)
        return -1;
    CQXPlaybackStepper stepper(source);
    if (walking.fromEnd)
        stepper.SeekToEnd();
    else
        stepper.Seek(walking.fromPacket);
    CQXFrameReader& reader = stepper.GetReader();
    long frames = 0;
    while (walking.count < 0 || frames < walking.count) {
        const int result = stepper.Step(walking.mode);
        if (result == CQXFrameReader::kVideo) {
            CQXVideoFrame* frame = reader.GetCompletedFrame();
            sink(Describe(frames++, *frame, reader.GetCompletedPacket()));
            frame->Reset();
        }
        if (stepper.GetNextMode(walking.mode, result) != QXPlayMode::kNone)
            break;
    }
    return frames;
}

const std::uint8_t* const* CQXFrameLister::Decode(const CQXVideoFrame& frame,
                                                  CQXVideoDecoder* decoder, const char*& error) {
    error = nullptr;
    if (!decoder) {
        error = kNoDecoderLabel;
        return nullptr;
    }
    std::uint32_t before[std::size(kFailures)];
    for (std::size_t i = 0; i < std::size(kFailures); ++i)
        before[i] = decoder->GetCounter(kFailures[i]);
    const std::uint8_t* const* planes = frame.DecodeWith(*decoder);
    for (std::size_t i = 0; !planes && i < std::size(kFailures); ++i)
        if (decoder->GetCounter(kFailures[i]) != before[i])
            error = CQXVideoDecoder::kCounterLabels[kFailures[i] - 1];
    return planes;
}

std::string CQXFrameLister::Describe(long n, const CQXVideoFrame& frame, std::uint32_t packet) {
    const int channel = frame.GetChannel();
    const char* error = nullptr;
    CQXVideoDecoder* decoder =
        channel < QXChannelSet::kChannelIndices ? &m_decoders[channel] : nullptr;
    const bool decoded = Decode(frame, decoder, error) != nullptr;

    const int width = decoder ? decoder->GetWidth() : 0;
    const int height = decoder ? decoder->GetHeight() : 0;
    const std::uint8_t* const* planes = decoder ? decoder->GetPlanes() : nullptr;
    const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::uint8_t* none = nullptr;
    const QXTimestamp t = frame.GetTimestamp();

    char head[256];
    std::snprintf(head, sizeof head,
                  "{\"n\":%ld,\"packet\":%u,\"channel\":%d,\"channel_set\":%d,"
                  "\"timestamp\":\"%04d-%02d-%02d %02d:%02d:%02d\",\"key\":%u,\"slices\":%d,"
                  "\"length\":%u,\"decoded\":%s",
                  n, packet, channel, frame.GetChannelSet(), t.year + 2000, t.month, t.day, t.hour,
                  t.minute, t.second, frame.IsKeyFrame() == 1 ? 1u : 0u, frame.GetSliceCount(),
                  frame.GetLength(), decoded ? "true" : "false");
    std::string line = head;
    if (error)
        line += std::string(",\"error\":\"") + error + "\"";
    line += ",\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height);
    line += ",\"y_sha256\":\"" + KWSha256::Hex(planes ? planes[0] : none, luma) + "\"";
    line += ",\"u_sha256\":\"" + KWSha256::Hex(planes ? planes[1] : none, luma / 4) + "\"";
    line += ",\"v_sha256\":\"" + KWSha256::Hex(planes ? planes[2] : none, luma / 4) + "\"}";
    return line;
}
