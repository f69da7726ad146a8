// The synthetic recorder checked against the viewer's own engines: detection finds the stream
// it wrote, forward reading delivers its frames as the ground truth lists them and decodes them
// close to the source pictures, the sound expands back to the source tone, and the event table
// lists its spans.
#include "CQXFrameReader.h"
#include "CQXStorageDeviceManager.h"
#include "CQXVideoDecoder.h"
#include "DvrRecorder.h"
#include "KWTempDir.h"
#include "KWTick.h"
#include "QXChannelSet.h"
#include "QXCompanding.h"
#include "QXEventArea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {
struct Recording {
    KWTempDir dir;
    std::string image;
    DvrRecorder::Result result;
    std::map<int, std::vector<DvrPicture>> pictures;
};

std::unique_ptr<Recording> Record(DvrRecorder::Options options) {
    auto recording = std::make_unique<Recording>();
    recording->image = recording->dir / "disk.img";
    options.output = recording->image;
    std::tm start{};
    start.tm_year = 126, start.tm_mon = 2, start.tm_mday = 14, start.tm_hour = 23,
    start.tm_min = 59, start.tm_sec = 50;
    options.start = start;
    DvrRecorder recorder(options);
    recorder.SetPictureSink([&](int channel, std::uint64_t, const DvrPicture& picture) {
        recording->pictures[channel].push_back(picture);
    });
    recording->result = recorder.Record();
    return recording;
}

struct ReadFrame {
    std::uint32_t packet;
    int channel;
    QXTimestamp timestamp;
    bool key;
    int slices;
    double psnr; // against the source picture the truth names; 0 when it did not decode
};

struct Reading {
    std::uint32_t streamLength = 0;
    std::vector<ReadFrame> frames;
    std::vector<std::int16_t> sound;
};

double Psnr(const std::uint8_t* const* planes, const DvrPicture& source) {
    double error = 0;
    std::size_t count = 0;
    const std::vector<std::uint8_t>* sourcePlanes[3] = {&source.y, &source.u, &source.v};
    for (int p = 0; p < 3; ++p) {
        for (std::size_t i = 0; i < sourcePlanes[p]->size(); ++i) {
            const double d = double(planes[p][i]) - (*sourcePlanes[p])[i];
            error += d * d;
        }
        count += sourcePlanes[p]->size();
    }
    const double mse = error / double(count);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Detects the image like the viewer and reads it forward from packet 0 to its end.
Reading ReadForward(const Recording& recording) {
    Reading reading;
    CQXStorageDeviceManager manager(KWDriveList{recording.image});
    manager.OpenAllDevices(nullptr, nullptr, nullptr);
    while (manager.IsAnyDeviceBusy())
        KWSleep(2);
    if (manager.GetFormattedCount() != 1)
        return reading;
    CQXStorageDevice& device = *manager.GetDevice(manager.GetFormattedDevice(0));
    reading.streamLength = device.GetStreamLength();

    CQXVideoDecoder decoders[QXChannelSet::kChannelIndices];
    for (auto& decoder : decoders)
        EXPECT_EQ(decoder.Initialize(), 1);
    // Source pictures in the order the truth lists them, to compare each decoded frame with.
    std::map<std::pair<std::uint32_t, int>, std::vector<std::uint64_t>> pictureOf;
    for (const auto& f : recording.result.frames)
        pictureOf[{static_cast<std::uint32_t>(f.packet), f.channel}].push_back(f.picture);

    CQXFrameReader reader(device);
    for (int guard = 0; guard < 1000000; ++guard) {
        const int result = reader.ReadFrame(0);
        if (result == CQXFrameReader::kVideo) {
            CQXVideoFrame* frame = reader.GetCompletedFrame();
            ReadFrame read{reader.GetCompletedPacket(), static_cast<int>(frame->GetChannel()),
                           frame->GetTimestamp(),       frame->IsKeyFrame() == 1,
                           frame->GetSliceCount(),      0};
            auto& candidates = pictureOf[{read.packet, read.channel}];
            const std::uint8_t* const* planes = decoders[read.channel % 5].Decode(frame);
            if (planes && !candidates.empty()) {
                read.psnr =
                    Psnr(planes, recording.pictures.at(read.channel).at(candidates.front()));
                candidates.erase(candidates.begin());
            }
            reading.frames.push_back(read);
            frame->Reset();
        } else if (result == CQXFrameReader::kAudio) {
            const std::uint8_t* bytes = reader.GetPacket().GetPayload();
            for (std::uint32_t i = 0; i < CQX4KPacket::kAudioSize; ++i)
                reading.sound.push_back(QXCompanding::Expand(bytes[i ^ 1], 1.0f));
        } else if (reader.IsAtEnd()) {
            break;
        }
    }
    manager.CloseAllDevices();
    return reading;
}

void ExpectFramesAsTruth(const Recording& recording, const Reading& reading, double minPsnr) {
    const auto& truth = recording.result.frames;
    ASSERT_EQ(reading.frames.size(), truth.size());
    for (std::size_t i = 0; i < truth.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(reading.frames[i].packet, truth[i].packet);
        EXPECT_EQ(reading.frames[i].channel, truth[i].channel);
        EXPECT_EQ(reading.frames[i].timestamp, truth[i].timestamp);
        EXPECT_EQ(reading.frames[i].key, truth[i].key);
        EXPECT_EQ(reading.frames[i].slices, truth[i].slices);
        EXPECT_GE(reading.frames[i].psnr, minPsnr);
    }
}

std::uint64_t Checksum(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    std::uint64_t sum = 1469598103934665603ull;
    std::uint8_t buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        for (ssize_t i = 0; i < got; ++i)
            sum = (sum ^ buffer[i]) * 1099511628211ull;
    close(fd);
    return sum;
}
} // namespace

TEST(DvrSynth, FourChannelsReadBackAsRecordedAndDecodeCloseToTheSource) {
    DvrRecorder::Options options;
    options.seconds = 4;
    options.quantiser = 4;
    options.keyPeriod = 10;
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok) << recording->result.error;
    const std::uint64_t before = Checksum(recording->image);

    const Reading reading = ReadForward(*recording);
    EXPECT_EQ(reading.streamLength, recording->result.streamLength);
    ExpectFramesAsTruth(*recording, reading, 30.0);
    EXPECT_EQ(Checksum(recording->image), before) << "reading changed the image";

    // The timestamps run across midnight from 23:59:50 and the channels take turns.
    EXPECT_EQ(recording->result.frames.front().timestamp.day, 14);
    EXPECT_EQ(recording->result.frames.back().timestamp.day, 14);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(recording->result.frames[i].channel, static_cast<int>(i % 4));
}

TEST(DvrSynth, EveryGeometryAndTheCompositeDecode) {
    for (int slices : {9, 14, 17}) {
        SCOPED_TRACE(slices);
        DvrRecorder::Options options;
        options.seconds = 1;
        options.slices = slices;
        options.channels = slices == 17 ? std::vector<int>{4} : std::vector<int>{1, 3};
        options.audio = false;
        const auto recording = Record(options);
        ASSERT_TRUE(recording->result.ok) << recording->result.error;
        ExpectFramesAsTruth(*recording, ReadForward(*recording), 30.0);
    }
}

TEST(DvrSynth, StillScenesPutSeveralFramesInOnePacketAndAllAreDelivered) {
    DvrRecorder::Options options;
    options.seconds = 3;
    options.motion = false;
    options.keyPeriod = 1000;
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok);
    std::map<std::uint64_t, int> perPacket;
    for (const auto& f : recording->result.frames)
        ++perPacket[f.packet];
    int most = 0;
    for (const auto& [packet, count] : perPacket)
        most = std::max(most, count);
    EXPECT_GE(most, 3) << "non-key pictures of a still scene are small";
    ExpectFramesAsTruth(*recording, ReadForward(*recording), 30.0);
}

TEST(DvrSynth, PaddedFramesEachStartADataPacket) {
    DvrRecorder::Options options;
    options.seconds = 1;
    options.padFrames = true;
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok);
    const Reading reading = ReadForward(*recording);
    ExpectFramesAsTruth(*recording, reading, 30.0);
    for (std::size_t i = 1; i < reading.frames.size(); ++i)
        EXPECT_GT(reading.frames[i].packet, reading.frames[i - 1].packet);
}

TEST(DvrSynth, SoundExpandsBackToTheSourceToneWithOrWithoutTimeInTheAudioPackets) {
    for (bool timed : {true, false}) {
        SCOPED_TRACE(timed);
        DvrRecorder::Options options;
        options.seconds = 3;
        options.audioTime = timed;
        options.channels = {0};
        const auto recording = Record(options);
        ASSERT_TRUE(recording->result.ok);
        const Reading reading = ReadForward(*recording);
        EXPECT_EQ(reading.streamLength, recording->result.streamLength);
        const auto& source = recording->result.sound;
        ASSERT_EQ(reading.sound.size(), source.size());
        ASSERT_GE(source.size(), 2u * 8000);
        int worst = 0;
        for (std::size_t i = 0; i < source.size(); ++i)
            worst = std::max(worst, std::abs(reading.sound[i] - source[i]));
        // The widest gap between two neighbouring companded values, 2048 to 2224, is 176.
        EXPECT_LE(worst, 88);
    }
}

TEST(DvrSynth, EventTableListsTheRecordingSpans) {
    DvrRecorder::Options options;
    options.seconds = 3;
    options.events = 3;
    options.channels = {0, 1};
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok);
    ASSERT_EQ(recording->result.events.size(), 3u);

    std::vector<std::uint8_t> area(QXEventArea::kBytes);
    const int fd = open(recording->image.c_str(), O_RDONLY);
    ASSERT_EQ(pread(fd, area.data(), area.size(),
                    static_cast<off_t>(recording->result.diskBytes - QXEventArea::kBytes)),
              static_cast<ssize_t>(area.size()));
    close(fd);
    const auto entries = QXEventArea::List(area.data());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].packet, 0u);
    EXPECT_EQ(entries[0].line, "\u300C01\u300D   2026-03-14 23:59:50   ~   2026-03-14 23:59:50");
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].packet, recording->result.events[i].packet);
        EXPECT_LT(entries[i].packet, recording->result.streamLength);
    }
    EXPECT_LT(entries[1].packet, entries[2].packet);
}

TEST(DvrSynth, AWrappedRecordingFillsTheDiskWithTheNewestDataFirst) {
    DvrRecorder::Options options;
    options.seconds = 15;
    options.shape = DvrRecorder::Shape::Wrapped;
    options.diskBytes = 1; // rounds up to one cylinder: about 2000 packets
    options.slices = 14;
    options.quantiser = 2;
    options.keyPeriod = 1;
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok) << recording->result.error;
    const auto& truth = recording->result.frames;
    ASSERT_GT(recording->result.packetsWritten, recording->result.streamLength + 1);
    // Times do not rise from packet 0 to the end: the newest frames lie in front.
    EXPECT_GT(truth.front().number, truth.back().number);

    const Reading reading = ReadForward(*recording);
    EXPECT_EQ(reading.streamLength, recording->result.streamLength);
    // Every surviving frame is read in disk order; where the newest data meets the oldest the
    // reader may put together one frame of leftovers, which the truth does not list.
    std::size_t t = 0;
    for (const auto& frame : reading.frames)
        if (t < truth.size() && frame.packet == truth[t].packet &&
            frame.channel == truth[t].channel && frame.timestamp == truth[t].timestamp)
            ++t;
    EXPECT_EQ(t, truth.size());
    EXPECT_LE(reading.frames.size(), truth.size() + 1);
}

TEST(DvrSynth, DamageOnRequest) {
    DvrRecorder::Options options;
    options.seconds = 2;
    options.audio = false;
    options.keyPeriod = 1; // no picture builds on a damaged one
    options.damage = {{DvrRecorder::DamageKind::OversizedFrame, 10},
                      {DvrRecorder::DamageKind::TruncatedFrame, 20}};
    const auto recording = Record(options);
    ASSERT_TRUE(recording->result.ok);
    const auto& truth = recording->result.frames;
    const Reading reading = ReadForward(*recording);
    // The oversized frame is dropped by the reader; every other frame still arrives.
    ASSERT_EQ(reading.frames.size(), truth.size() - 1);
    std::size_t r = 0;
    for (const auto& f : truth) {
        if (f.number == 10) {
            EXPECT_TRUE(f.damaged);
            continue;
        }
        EXPECT_EQ(reading.frames[r].packet, f.packet);
        EXPECT_EQ(reading.frames[r].channel, f.channel);
        EXPECT_EQ(f.damaged, f.number == 20);
        if (!f.damaged) {
            EXPECT_GE(reading.frames[r].psnr, 30.0);
        }
        ++r;
    }

    DvrRecorder::Options invalid;
    invalid.seconds = 2;
    invalid.audio = false;
    invalid.damage = {{DvrRecorder::DamageKind::InvalidPacket, 5}};
    const auto broken = Record(invalid);
    ASSERT_TRUE(broken->result.ok);
    std::size_t damaged = 0;
    for (const auto& f : broken->result.frames)
        damaged += f.damaged;
    EXPECT_GE(damaged, 1u);
    const Reading afterInvalid = ReadForward(*broken);
    EXPECT_LT(afterInvalid.frames.size(), broken->result.frames.size());
    EXPECT_GE(afterInvalid.frames.size(), broken->result.frames.size() - damaged - 1);
}

TEST(DvrSynth, RefusesWhatItCannotRecord) {
    DvrRecorder::Options options;
    options.slices = 8;
    EXPECT_FALSE(Record(options)->result.ok);
    options.slices = 7;
    options.shape = DvrRecorder::Shape::Wrapped;
    EXPECT_FALSE(Record(options)->result.ok) << "a wrapped recording needs a disk size";
    options.diskBytes = 1ull << 30;
    options.seconds = 1;
    const auto tooShort = Record(options);
    EXPECT_FALSE(tooShort->result.ok);
    EXPECT_EQ(tooShort->result.error, "the recording does not fill the disk, so it cannot wrap");

    // An older recording goes beyond the stream's end, with a gap before it, inside the disk.
    DvrRecorder::Options older;
    older.seconds = 1;
    older.diskBytes = 1; // one cylinder: 2008 packets
    for (const std::uint64_t packet : {std::uint64_t{5}, std::uint64_t{2000}}) {
        older.olderRunPacket = packet;
        const auto planted = Record(older);
        EXPECT_FALSE(planted->result.ok) << packet;
        EXPECT_NE(planted->result.error.find("older recording"), std::string::npos)
            << planted->result.error;
    }
}
