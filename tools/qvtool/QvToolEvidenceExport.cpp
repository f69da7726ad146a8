#include "QvToolEvidenceExport.h"

#include "CKWWaveManager.h"
#include "CQXFrameLister.h"
#include "CQXFrameReader.h"
#include "CQXPacketSource.h"
#include "CQXStorageDeviceManager.h"
#include "KWReplaceFile.h"
#include "QXCompanding.h"
#include "QvToolCommand.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace {
constexpr std::int64_t kMsPerSecond = 1000;
constexpr int kFirstYear = 2000;
// Why a frame the decoder refused without raising a counter was skipped.
const char* const kUndecodable = "undecodable";
// Why a frame whose picture size differs from its channel's first was skipped.
const char* const kOtherSize = "picture size changed";
constexpr std::uint32_t kProgressEveryPackets = 256;

// The stream read up to the range's last packet, which may lie beyond the recorded stream (an
// older run found by a deep scan).
class RangeSource : public CQXPacketSource {
public:
    RangeSource(CQXPacketSource& source, std::uint32_t last) : m_source(source), m_last(last) {}
    int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override {
        return m_source.ReadPacket(index, packet);
    }
    std::uint32_t GetStreamLength() const override { return m_last; }

private:
    CQXPacketSource& m_source;
    const std::uint32_t m_last;
};
} // namespace

QvToolEvidenceExport::QvToolEvidenceExport() {
    m_ready = true;
    for (CQXVideoDecoder& decoder : m_decoders)
        m_ready = decoder.Initialize() && m_ready;
}

std::string QvToolEvidenceExport::FileName(int channel, QvToolEvidenceFile::Format format) {
    const std::string extension = format == QvToolEvidenceFile::Format::kMp4 ? ".mp4" : ".mkv";
    if (channel == QXChannelSet::kCompositeIndex)
        return "composite" + extension;
    return "channel" + std::to_string(channel + 1) + extension;
}

std::int64_t QvToolEvidenceExport::Seconds(const QXTimestamp& time) {
    std::tm tm{};
    tm.tm_year = time.year + kFirstYear - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    return static_cast<std::int64_t>(timegm(&tm));
}

std::int64_t QvToolEvidenceExport::Present(const QXTimestamp& time, std::uint32_t intervalMs) {
    const std::int64_t recorded = Seconds(time);
    if (!m_clockStarted) {
        m_clockStarted = true;
        m_clockBase = recorded;
        m_lastRecorded = recorded;
        return m_clockMs = 0;
    }
    // A recorded time that goes back (the wrap point of a circular recording) does not turn the
    // presentation back: the clock goes on at the recording's pace from there.
    if (recorded < m_lastRecorded)
        m_clockBase -= m_lastRecorded - recorded;
    m_lastRecorded = recorded;
    const std::int64_t secondStart = (recorded - m_clockBase) * kMsPerSecond;
    std::int64_t next = m_clockMs + std::max<std::int64_t>(intervalMs, 1);
    if (next < secondStart)
        next = secondStart; // a pause in the recording
    else if (next >= secondStart + kMsPerSecond)
        next = std::max(m_clockMs + 1, secondStart + kMsPerSecond - 1);
    return m_clockMs = next;
}

QvToolEvidenceExport::Output& QvToolEvidenceExport::OutputOf(int channel) {
    for (Output& output : m_outputs)
        if (output.channel == channel)
            return output;
    Output& output = m_outputs.emplace_back();
    output.channel = channel;
    output.name = FileName(channel, m_setup.format);
    return output;
}

bool QvToolEvidenceExport::OpenFile(Output& output, int width, int height,
                                    std::uint32_t intervalMs) {
    output.temporary =
        KWTemporaryNameBeside((std::filesystem::path(m_setup.folder) / output.name).string());
    output.width = width;
    output.height = height;
    output.file = std::make_unique<QvToolEvidenceFile>();
    const bool sound = output.channel == m_soundChannel;
    const bool opened =
        output.file->Open({output.temporary, m_setup.format, width, height, sound, intervalMs});
    output.videoCodec = output.file->GetVideoCodec();
    if (const char* codec = output.file->GetSoundCodec())
        output.soundCodec = codec;
    if (!opened) {
        m_error = output.file->GetError();
        return false;
    }
    if (sound && !m_earlySound.empty()) {
        output.soundSamples += m_earlySound.size();
        if (!output.file->AddSound(m_earlySound.data(), m_earlySound.size(), m_earlySoundMs)) {
            m_error = output.file->GetError();
            return false;
        }
        m_earlySound.clear();
    }
    return true;
}

bool QvToolEvidenceExport::AddSound(const std::uint8_t* companded, std::int64_t timeMs) {
    const float gain = QvToolCommand::kDefaultVolume / CKWWaveManager::kPositionsPerGain;
    std::int16_t samples[CQX4KPacket::kAudioSize];
    // The recorder stores each pair of samples exchanged; forward play exchanges them back.
    for (std::uint32_t i = 0; i < CQX4KPacket::kAudioSize; ++i)
        samples[i] = QXCompanding::Expand(companded[i ^ 1u], gain);
    for (Output& output : m_outputs) {
        if (output.channel != m_soundChannel || !output.file)
            continue;
        output.soundSamples += CQX4KPacket::kAudioSize;
        if (output.file->AddSound(samples, CQX4KPacket::kAudioSize, timeMs))
            return true;
        m_error = output.file->GetError();
        return false;
    }
    if (m_earlySound.empty())
        m_earlySoundMs = timeMs;
    m_earlySound.insert(m_earlySound.end(), samples, samples + CQX4KPacket::kAudioSize);
    return true;
}

const std::uint8_t* const* QvToolEvidenceExport::Caption(const std::uint8_t* const* planes,
                                                         int width, int height,
                                                         const QXTimestamp& time) {
    const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m_captioned.resize(luma * 3 / 2);
    std::uint8_t** copy = m_captionPlanes;
    copy[0] = m_captioned.data();
    copy[1] = copy[0] + luma;
    copy[2] = copy[1] + luma / 4;
    std::copy_n(planes[0], luma, copy[0]);
    std::copy_n(planes[1], luma / 4, copy[1]);
    std::copy_n(planes[2], luma / 4, copy[2]);
    m_burnIn.Stamp(copy, width, height, time);
    return copy;
}

bool QvToolEvidenceExport::Run(CQXPacketSource& source, const Setup& setup,
                               const std::atomic<bool>& stop, const ProgressSink& progress) {
    m_setup = setup;
    if (!m_ready) {
        m_error = "the video decoders could not be set up";
        return false;
    }
    RangeSource range(source, setup.range.last);
    CQXFrameReader reader(range);
    reader.Seek(setup.range.first);
    m_firstPacket = m_lastPacket = setup.range.first;
    bool inside = !setup.range.timed;
    bool ok = true;
    long written = 0;
    std::uint32_t reported = setup.range.first;
    while (ok) {
        if (stop.load()) {
            m_interrupted = true;
            m_error = "interrupted";
            ok = false;
            break;
        }
        const int result = reader.ReadFrame(0);
        if (reader.GetPosition() - reported >= kProgressEveryPackets) {
            reported = reader.GetPosition();
            progress({reported, written});
        }
        if (result == CQXFrameReader::kNothing && reader.IsAtEnd())
            break;
        if (result == CQXFrameReader::kAudio) {
            if (inside)
                ok = AddSound(reader.GetPacket().GetPayload(), m_clockMs);
            continue;
        }
        if (result != CQXFrameReader::kVideo)
            continue;
        CQXVideoFrame& frame = *reader.GetCompletedFrame();
        const QXTimestamp time = frame.GetTimestamp();
        const std::uint32_t packet = reader.GetCompletedPacket();
        const int channel = frame.GetChannel();
        if (setup.range.timed) {
            const std::int64_t seconds = Seconds(time);
            const bool within = seconds >= setup.range.from && seconds <= setup.range.to;
            if (!within && inside) {
                frame.Reset();
                break;
            }
            inside = within;
            if (!inside) {
                // Frames before the range give the decoders the key pictures its first frames
                // build on.
                if (seconds < setup.range.from && channel < QXChannelSet::kChannelIndices)
                    frame.DecodeWith(m_decoders[channel]);
                frame.Reset();
                continue;
            }
        }
        const std::uint8_t channelSet = reader.GetPacket().GetChannelSet();
        if (m_soundChannel < 0) {
            for (int c = 0; c < QXChannelSet::kChannelIndices && m_soundChannel < 0; ++c)
                if (QXChannelSet::Has(channelSet, c) &&
                    (setup.channels.empty() || setup.channels.count(c) != 0))
                    m_soundChannel = c;
        }
        const std::uint32_t intervalMs = CQXStorageDeviceManager::RecordingIntervalMs(
            frame.GetSliceCount(), reader.GetPacket().GetIntervalCode());
        const std::int64_t timeMs = Present(time, intervalMs);
        m_lastPacket = packet;
        if (!setup.channels.empty() && setup.channels.count(channel) == 0) {
            frame.Reset();
            continue;
        }
        CQXVideoDecoder* decoder =
            channel < QXChannelSet::kChannelIndices ? &m_decoders[channel] : nullptr;
        const char* error = nullptr;
        const std::uint8_t* const* planes = CQXFrameLister::Decode(frame, decoder, error);
        frame.Reset();
        Output& output = OutputOf(channel);
        if (planes && output.file &&
            (output.width != decoder->GetWidth() || output.height != decoder->GetHeight())) {
            planes = nullptr;
            error = kOtherSize;
        }
        if (!planes) {
            output.skipped.push_back({packet, time, error ? error : kUndecodable});
            continue;
        }
        if (!output.file &&
            !OpenFile(output, decoder->GetWidth(), decoder->GetHeight(), intervalMs)) {
            ok = false;
            break;
        }
        if (output.frames > 0) {
            const std::int64_t apart = Seconds(time) - Seconds(output.last);
            if (apart > kGapSeconds || apart < 0)
                output.gaps.push_back({output.last, time, apart});
        } else {
            output.first = time;
        }
        output.last = time;
        if (setup.burnIn)
            planes = Caption(planes, output.width, output.height, time);
        if (!output.file->AddPicture(planes, timeMs)) {
            m_error = output.file->GetError();
            ok = false;
            break;
        }
        ++output.frames;
        ++written;
    }
    for (Output& output : m_outputs) {
        if (output.file && !output.file->Finish() && m_error.empty()) {
            m_error = output.file->GetError();
            ok = false;
        }
    }
    progress({reader.GetPosition(), written});
    return ok;
}
