#include "DvrRecorder.h"

#include "CQX4KPacket.h"
#include "CQXVideoDecoder.h"
#include "CQXVideoEncoder.h"
#include "DvrImageWriter.h"
#include "DvrSceneRenderer.h"
#include "QXCompanding.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr std::uint8_t kAudioChannelByte = 0xF0;
constexpr std::size_t kOversizeJunkBytes = 140000; // more than a frame buffer holds
constexpr std::uint8_t kJunkByte = 0x55;           // never forms a start code

std::uint8_t ChannelSetFor(const std::vector<int>& channels) {
    std::uint8_t set = 0;
    for (int code : channels)
        set |= code == 4 ? 0x10 : static_cast<std::uint8_t>(1u << (3 - code));
    return set;
}

QXTimestamp TimestampAt(std::time_t start, long long ms) {
    const std::time_t when = start + static_cast<std::time_t>(ms / 1000);
    std::tm t{};
    gmtime_r(&when, &t);
    return QXTimestamp{
        static_cast<std::uint8_t>(t.tm_year - 100), static_cast<std::uint8_t>(t.tm_mon + 1),
        static_cast<std::uint8_t>(t.tm_mday),       static_cast<std::uint8_t>(t.tm_hour),
        static_cast<std::uint8_t>(t.tm_min),        static_cast<std::uint8_t>(t.tm_sec)};
}

std::string ClockText(const QXTimestamp& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

// Cuts the video byte stream into data packets and slips audio packets in between them. A data
// packet's stream index is fixed when its first byte arrives; audio that becomes due meanwhile
// waits until that packet is complete.
class StreamBuilder {
public:
    struct DataPacket {
        std::uint64_t videoStart; // offset of its first payload byte in the video stream
        std::uint64_t index;      // stream packet index
        QXTimestamp timestamp;
    };

    StreamBuilder(DvrImageWriter& writer, std::set<std::uint64_t> invalid)
        : m_writer(writer), m_capacity(writer.CapacityPackets()), m_invalid(std::move(invalid)) {}

    void SetHeader(const QXTimestamp& time, std::uint8_t interval, std::uint8_t channelSet) {
        m_time = time;
        m_interval = interval;
        m_channelSet = channelSet;
    }

    bool AppendVideo(const std::uint8_t* bytes, std::size_t count) {
        while (count > 0) {
            if (m_fill == 0) {
                m_current.videoStart = m_videoOffset;
                m_current.index = m_next++;
            }
            const std::size_t room = CQX4KPacket::kPayloadSize - m_fill;
            const std::size_t take = std::min(room, count);
            std::memcpy(m_data.data() + CQX4KPacket::kHeaderSize + m_fill, bytes, take);
            m_fill += take;
            m_videoOffset += take;
            bytes += take;
            count -= take;
            if (m_fill == CQX4KPacket::kPayloadSize && !FlushData())
                return false;
        }
        return true;
    }

    bool PadVideo() {
        if (m_fill == 0)
            return true;
        const std::vector<std::uint8_t> zeros(CQX4KPacket::kPayloadSize - m_fill, 0);
        return AppendVideo(zeros.data(), zeros.size());
    }

    bool QueueAudio(const std::array<std::uint8_t, CQX4KPacket::kSize>& packet) {
        m_pendingAudio.push_back(packet);
        return m_fill != 0 || FlushAudio();
    }

    bool Finish() { return PadVideo() && FlushAudio(); }

    std::uint64_t VideoOffset() const { return m_videoOffset; }
    std::uint64_t PacketsWritten() const { return m_next; }
    const std::vector<DataPacket>& DataPackets() const { return m_dataPackets; }

    // The data packet that holds the video byte at `offset`.
    const DataPacket& PacketOfOffset(std::uint64_t offset) const {
        auto it =
            std::upper_bound(m_dataPackets.begin(), m_dataPackets.end(), offset,
                             [](std::uint64_t o, const DataPacket& p) { return o < p.videoStart; });
        return *std::prev(it);
    }

private:
    bool FlushData() {
        std::uint8_t* header = m_data.data();
        m_time.ToBytes(header);
        header[6] = m_interval;
        header[7] = m_channelSet;
        m_current.timestamp = m_time;
        m_dataPackets.push_back(m_current);
        m_fill = 0;
        return Emit(m_data.data(), m_current.index) && FlushAudio();
    }

    bool FlushAudio() {
        for (auto& packet : m_pendingAudio)
            if (!Emit(packet.data(), m_next++))
                return false;
        m_pendingAudio.clear();
        return true;
    }

    bool Emit(std::uint8_t* packet, std::uint64_t index) {
        if (m_invalid.count(index))
            std::memset(packet, 0, CQX4KPacket::kHeaderSize);
        return m_writer.WritePacket(index % m_capacity, packet);
    }

    DvrImageWriter& m_writer;
    const std::uint64_t m_capacity;
    const std::set<std::uint64_t> m_invalid;
    std::array<std::uint8_t, CQX4KPacket::kSize> m_data{};
    std::size_t m_fill = 0;
    DataPacket m_current{};
    std::uint64_t m_videoOffset = 0;
    std::uint64_t m_next = 0;
    QXTimestamp m_time;
    std::uint8_t m_interval = 0;
    std::uint8_t m_channelSet = 0;
    std::vector<std::array<std::uint8_t, CQX4KPacket::kSize>> m_pendingAudio;
    std::vector<DataPacket> m_dataPackets;
};

// The test sound: a tone whose pitch steps every second (400 to 1100 Hz), so that a lost,
// repeated or reordered second is audible and measurable. Its amplitude stays inside the
// range the companded samples can hold (+-4016).
constexpr double kToneAmplitude = 3000.0;
std::int16_t ToneSample(std::uint64_t n) {
    const std::uint64_t second = n / DvrRecorder::kSampleRate;
    const double frequency = 400.0 + 100.0 * static_cast<double>(second % 8);
    return static_cast<std::int16_t>(
        std::lround(kToneAmplitude * std::sin(2 * kPi * frequency * static_cast<double>(n) /
                                              DvrRecorder::kSampleRate)));
}

struct RecordedFrame {
    std::uint64_t startCodeOffset;
    int channel;
    bool key;
    bool damaged;
    std::uint64_t picture;
    long long timeMs;
};
} // namespace

DvrRecorder::Result DvrRecorder::Record() {
    Result result;
    const Options& o = m_options;
    int width = 0, height = 0;
    if (o.slices == 16 || !CQXVideoDecoder::GeometryForSlices(o.slices, width, height)) {
        result.error = "slice count must be 7, 9, 14 or 17";
        return result;
    }
    if (o.channels.empty() || o.quantiser < 1 || o.quantiser > 15 || o.keyPeriod < 1 ||
        o.intervalCode < 0 || o.intervalCode > 255 || o.seconds <= 0) {
        result.error =
            "channels, quantiser (1-15), key period, interval code or length out of range";
        return result;
    }
    if (o.eventFirstIndex < 0 || o.eventFirstIndex > DvrEventTable::kRingEndIndex ||
        o.eventFirstIndex % DvrEventTable::kIndexStep != 0) {
        result.error = "the event table's first index must be even, 0-128";
        return result;
    }
    if (o.shape == Shape::Wrapped && o.diskBytes == 0) {
        result.error = "a wrapped recording needs a disk size smaller than the recording";
        return result;
    }

    DvrImageWriter writer;
    if (!writer.Open(o.output, o.diskBytes)) {
        result.error = writer.Error();
        return result;
    }

    std::set<std::uint64_t> invalidPackets;
    std::map<std::uint64_t, DamageKind> damagedFrames;
    for (const Damage& d : o.damage) {
        if (d.kind == DamageKind::InvalidPacket)
            invalidPackets.insert(d.index);
        else
            damagedFrames[d.index] = d.kind;
    }
    StreamBuilder stream(writer, invalidPackets);

    std::tm startTm = o.start;
    const std::time_t start = timegm(&startTm);
    const std::uint8_t channelSet = ChannelSetFor(o.channels);
    const int unitMs = o.slices >= 16 ? 25 : 33;
    const long long periodMs = static_cast<long long>(o.intervalCode + 1) * unitMs;
    const long long totalMs = static_cast<long long>(o.seconds * 1000);

    // Each channel has its own encoder: non-key pictures code what changed since its last one.
    std::map<int, CQXVideoEncoder> encoders;
    std::map<int, std::uint64_t> pictureCount;
    std::vector<std::uint8_t> bytes;

    std::vector<RecordedFrame> frames;
    DvrPicture picture(width, height);
    std::uint64_t audioPackets = 0;
    bool ok = true;

    auto queueAudioUpTo = [&](long long ms) {
        while (ok && o.audio && static_cast<long long>(audioPackets + 1) * 500 <= ms) {
            std::array<std::uint8_t, CQX4KPacket::kSize> packet{};
            const QXTimestamp time =
                TimestampAt(start, static_cast<long long>(audioPackets + 1) * 500);
            // Bit 7 of byte 0 marks audio; bytes 1-5 carry the time when the recorder writes it.
            if (o.audioTime)
                time.ToBytes(packet.data());
            packet[0] = static_cast<std::uint8_t>(0x80 | (o.audioTime ? time.year : 0));
            packet[6] = CQX4KPacket::kAudioMarker;
            packet[7] = kAudioChannelByte;
            // On the disk the samples are in recording order; after the reader's word exchange
            // each pair appears swapped, which is what the packet holds here.
            for (int i = 0; i < kSamplesPerPacket; ++i) {
                const std::int16_t sample = ToneSample(audioPackets * kSamplesPerPacket + i);
                result.sound.push_back(sample);
                packet[CQX4KPacket::kHeaderSize + (i ^ 1)] = QXCompanding::Compress(sample);
            }
            ok = stream.QueueAudio(packet);
            ++audioPackets;
        }
    };

    std::uint64_t number = 0;
    for (long long t = 0; ok && t < totalMs;) {
        for (int channel : o.channels) {
            if (t >= totalMs)
                break;
            queueAudioUpTo(t);
            const QXTimestamp time = TimestampAt(start, t);
            stream.SetHeader(time, static_cast<std::uint8_t>(o.intervalCode), channelSet);

            DvrSceneRenderer::Scene scene{channel, t, ClockText(time), static_cast<int>(number),
                                          o.motion};
            DvrSceneRenderer::Render(scene, picture);
            const std::uint64_t index = pictureCount[channel]++;
            if (m_pictureSink)
                m_pictureSink(channel, index, picture);
            const bool key = index % static_cast<std::uint64_t>(o.keyPeriod) == 0;
            CQXVideoEncoder::Options coding;
            coding.quantiser = o.quantiser;
            coding.channel = channel;
            const CQXVideoEncoder::Picture source{picture.y.data(), picture.u.data(),
                                                  picture.v.data(), picture.width, picture.height};
            encoders[channel].Encode(source, key, coding, bytes);

            bool damaged = false;
            if (auto d = damagedFrames.find(number); d != damagedFrames.end()) {
                damaged = true;
                if (d->second == DamageKind::TruncatedFrame)
                    bytes.resize(bytes.size() / 2);
                else
                    bytes.insert(bytes.end(), kOversizeJunkBytes, kJunkByte);
            }
            frames.push_back(RecordedFrame{stream.VideoOffset(), channel, key, damaged, index, t});
            ok = stream.AppendVideo(QXVideoStartCode::kBytes, QXVideoStartCode::kLength) &&
                 stream.AppendVideo(bytes.data(), bytes.size()) &&
                 (!o.padFrames || stream.PadVideo());
            ++number;
            t += periodMs;
        }
    }
    // A last start code completes the last frame, as the next frame of a running recorder would.
    const std::uint64_t endCode = stream.VideoOffset();
    ok = ok && stream.AppendVideo(QXVideoStartCode::kBytes, QXVideoStartCode::kLength) &&
         stream.Finish();
    if (!ok) {
        result.error = writer.Error();
        return result;
    }

    const std::uint64_t written = stream.PacketsWritten();
    const std::uint64_t capacity = writer.CapacityPackets();
    if (o.shape == Shape::Fresh && written > capacity) {
        result.error = "the recording does not fit the disk size";
        return result;
    }
    if (o.shape == Shape::Wrapped && written <= capacity) {
        result.error = "the recording does not fill the disk, so it cannot wrap";
        return result;
    }
    if (writer.SizeBytes() == 0 && !writer.Resize(DvrImageWriter::BytesForPackets(written))) {
        result.error = writer.Error();
        return result;
    }
    const std::uint64_t slots = writer.CapacityPackets();
    const std::uint64_t oldestSurviving = written > slots ? written - slots : 0;

    // Ground truth: where the reader will complete each surviving frame.
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const RecordedFrame& frame = frames[f];
        const std::uint64_t next = f + 1 < frames.size() ? frames[f + 1].startCodeOffset : endCode;
        const auto& first = stream.PacketOfOffset(frame.startCodeOffset);
        const auto& completion = stream.PacketOfOffset(next + QXVideoStartCode::kLength - 1);
        const bool survives =
            first.index >= oldestSurviving && first.index % slots <= completion.index % slots;
        if (!survives)
            continue;
        bool damaged = frame.damaged;
        for (std::uint64_t p = first.index; p <= completion.index && !damaged; ++p)
            damaged = invalidPackets.count(p) != 0;
        result.frames.push_back(FrameTruth{f, completion.index % slots, frame.channel,
                                           completion.timestamp, frame.key, o.slices, damaged,
                                           frame.picture});
    }
    std::stable_sort(result.frames.begin(), result.frames.end(),
                     [](const FrameTruth& a, const FrameTruth& b) { return a.packet < b.packet; });

    // Events: equal spans of the recording, each starting at a surviving frame.
    const int spans = std::clamp(o.events, 0, static_cast<int>(DvrEventTable::kMaxEvents));
    for (int s = 0; s < spans; ++s) {
        const std::size_t begin = frames.size() * s / spans, end = frames.size() * (s + 1) / spans;
        if (begin >= end)
            continue;
        const auto& first = stream.PacketOfOffset(frames[begin].startCodeOffset);
        if (first.index < oldestSurviving)
            continue;
        result.events.push_back(DvrEventTable::Event{
            TimestampAt(start, frames[begin].timeMs), TimestampAt(start, frames[end - 1].timeMs),
            static_cast<std::uint32_t>(first.index % slots)});
    }
    result.streamLength = std::min(written, slots) - 1;
    if (o.olderRunPacket != 0 && !PlantOlderRun(writer, result))
        return result;
    const auto area = DvrEventTable::Build(result.events, o.eventFirstIndex);
    if (!writer.WriteEventArea(area.data()) || !writer.Close()) {
        result.error = writer.Error();
        return result;
    }

    result.ok = true;
    result.diskBytes = writer.SizeBytes();
    result.packetsWritten = written;
    return result;
}

bool DvrRecorder::PlantOlderRun(DvrImageWriter& writer, Result& result) const {
    const Options& o = m_options;
    Options older = o;
    older.output = o.output + ".older";
    older.seconds = o.olderRunSeconds;
    std::tm start = o.start;
    const std::time_t dayBefore = timegm(&start) - 24 * 3600;
    gmtime_r(&dayBefore, &older.start);
    older.shape = Shape::Fresh;
    older.diskBytes = 0;
    older.events = 0;
    older.damage.clear();
    older.olderRunPacket = 0;
    const Result recorded = DvrRecorder(older).Record();
    std::vector<std::uint8_t> packet(CQX4KPacket::kSize);
    FILE* in = recorded.ok ? std::fopen(older.output.c_str(), "rb") : nullptr;
    const std::uint64_t count = recorded.streamLength + 1;
    bool ok = in != nullptr && o.olderRunPacket > result.streamLength + 1 &&
              o.olderRunPacket + count <= writer.CapacityPackets();
    for (std::uint64_t i = 0; ok && i < count; ++i) {
        ok = std::fread(packet.data(), 1, packet.size(), in) == packet.size();
        // The scratch image holds the packets as stored; the writer takes them in logical order.
        QXExchangeBytes(packet.data(), CQX4KPacket::kSize);
        ok = ok && writer.WritePacket(o.olderRunPacket + i, packet.data());
    }
    if (in != nullptr)
        std::fclose(in);
    std::remove(older.output.c_str());
    if (!ok) {
        result.error = recorded.ok ? "the older recording does not fit beyond the stream's end "
                                     "with a gap before it, or cannot be copied"
                                   : recorded.error;
        return false;
    }
    result.olderRunFirst = o.olderRunPacket;
    result.olderRunLast = o.olderRunPacket + count - 1;
    for (FrameTruth frame : recorded.frames) {
        frame.packet += o.olderRunPacket;
        result.olderFrames.push_back(frame);
    }
    return true;
}
