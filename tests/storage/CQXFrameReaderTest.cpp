#include "CQXFrameReader.h"
#include "MemoryStream.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A key picture followed by `count` non-key pictures of a nearly still scene: the non-key
// frames are a few dozen bytes, so many of them share a packet.
std::vector<Bytes> SmallFrames(int count) {
    CQXVideoEncoder encoder;
    std::vector<Bytes> bodies(1);
    CQXVideoEncoder::Options options;
    encoder.Encode(MakeScene(320, 112).View(), true, options, bodies[0]);
    for (int i = 0; i < count; ++i) {
        bodies.emplace_back();
        options.channel = i % 4;
        encoder.Encode(MakeScene(320, 112, i % 2).View(), false, options, bodies.back());
    }
    return bodies;
}

bool SameBody(const CQXVideoFrame& frame, const Bytes& body) {
    return frame.GetLength() == body.size() + 4 &&
           std::memcmp(frame.GetData(), body.data(), body.size()) == 0;
}

} // namespace

TEST(CQXFrameReader, DeliversEveryFrameOfPacketsHoldingManyFrames) {
    const std::vector<Bytes> bodies = SmallFrames(400);
    ASSERT_LT(bodies[5].size(), 200u);
    MemoryStream stream;
    stream.AddVideo(VideoStream(bodies));
    ASSERT_GT(bodies.size(), 10 * stream.packets.size()); // many frames per packet

    CQXFrameReader reader(stream);
    std::size_t n = 0;
    std::uint32_t lastPacket = 0;
    while (reader.ReadFrame(0) == CQXFrameReader::kVideo) {
        CQXVideoFrame* frame = reader.GetCompletedFrame();
        ASSERT_NE(frame, nullptr);
        ASSERT_LT(n, bodies.size());
        EXPECT_TRUE(SameBody(*frame, bodies[n])) << n;
        EXPECT_GE(reader.GetCompletedPacket(), lastPacket);
        lastPacket = reader.GetCompletedPacket();
        frame->Reset();
        ++n;
    }
    // The frames of the last packets (L - 1 and L) are delivered too.
    EXPECT_EQ(n, bodies.size());
    EXPECT_EQ(lastPacket, stream.length);
    EXPECT_TRUE(reader.IsAtEnd());
    EXPECT_EQ(reader.GetCompletedFrame(), nullptr);
    EXPECT_EQ(*stream.read.rbegin(), stream.length); // nothing past the stream is read
}

TEST(CQXFrameReader, WaitsForTheHeldFrameOnlyWhenItMustFeedIt) {
    const std::vector<Bytes> bodies = SmallFrames(5);
    MemoryStream stream;
    stream.AddVideo(VideoStream(bodies));
    CQXVideoFrame* held = nullptr;
    int waits = 0;
    bool giveUp = false;
    CQXFrameReader reader(stream, [&] {
        ++waits;
        if (giveUp)
            return true;
        if (waits == 3)
            held->Reset(); // the consumer releases the frame
        return false;
    });

    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    held = reader.GetCompletedFrame(); // kept by the consumer
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    CQXVideoFrame* second = reader.GetCompletedFrame();
    EXPECT_NE(second, held);
    EXPECT_EQ(waits, 0); // the other frame was free
    second->Reset();

    // The next frame goes into the held one: the reader waits until it is released.
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(reader.GetCompletedFrame(), held);
    EXPECT_TRUE(SameBody(*held, bodies[2]));

    // A wait that is given up returns nothing and loses nothing.
    giveUp = true;
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo); // into the free frame
    EXPECT_EQ(reader.ReadFrame(0), CQXFrameReader::kNothing);
    EXPECT_FALSE(reader.IsAtEnd());
    held->Reset();
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[4]));
}

TEST(CQXFrameReader, AudioPacketsAndBadPacketsBetweenFrames) {
    const std::vector<Bytes> bodies = SmallFrames(60);
    MemoryStream stream;
    Bytes video = VideoStream(bodies);
    const auto split = static_cast<std::ptrdiff_t>(CQX4KPacket::kPayloadSize);
    ASSERT_GT(video.size(), CQX4KPacket::kPayloadSize);
    stream.AddVideo(Bytes(video.begin(), video.begin() + split));
    stream.AddAudio(0x5A);
    stream.packets.emplace_back(CQX4KPacket::kSize, 0); // month 0: neither audio nor data
    stream.AddVideo(Bytes(video.begin() + split, video.end()));

    CQXFrameReader reader(stream);
    // The first packet may complete frames before the audio packet is reached.
    std::size_t n = 0;
    int result;
    while ((result = reader.ReadFrame(0)) == CQXFrameReader::kVideo) {
        EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[n++]));
        reader.GetCompletedFrame()->Reset();
    }
    ASSERT_EQ(result, CQXFrameReader::kAudio);
    EXPECT_EQ(reader.GetPacket().GetData()[8], 0x5A);
    EXPECT_EQ(reader.GetPosition(), 2u);
    EXPECT_EQ(reader.ReadFrame(0), CQXFrameReader::kNothing);
    EXPECT_FALSE(reader.IsAtEnd());
    // The frame begun before the audio packet goes on.
    while (reader.ReadFrame(0) == CQXFrameReader::kVideo) {
        ASSERT_LT(n, bodies.size());
        EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[n++]));
        reader.GetCompletedFrame()->Reset();
    }
    EXPECT_EQ(n, bodies.size());
    EXPECT_TRUE(reader.IsAtEnd());
}

TEST(CQXFrameReader, SkipsPacketsWithFrameStartsForward) {
    // One large frame per packet or two: every key picture starts in its own packet.
    CQXVideoEncoder encoder;
    std::vector<Bytes> bodies;
    for (int i = 0; i < 6; ++i) {
        bodies.emplace_back();
        encoder.Encode(MakeScene(640, 272, i).View(), true, {}, bodies.back());
    }
    MemoryStream stream;
    stream.AddVideo(VideoStream(bodies));
    CQXFrameReader reader(stream);
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[0]));
    reader.GetCompletedFrame()->Reset();

    // Two packets with start codes are passed; collecting restarts at the next one.
    const std::uint32_t before = reader.GetPosition();
    ASSERT_EQ(reader.ReadFrame(2), CQXFrameReader::kVideo);
    EXPECT_GT(reader.GetPosition(), before + 1);
    reader.GetCompletedFrame()->Reset();

    // Seeking and reading again gives the first frame.
    reader.Seek(0);
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[0]));
}

TEST(CQXFrameReader, UnreadablePacketEndsTheCallButNotTheWalk) {
    const std::vector<Bytes> bodies = SmallFrames(200);
    MemoryStream stream;
    stream.AddVideo(VideoStream(bodies));
    ASSERT_GE(stream.packets.size(), 3u);
    stream.failing.insert(1);
    CQXFrameReader reader(stream);
    int frames = 0;
    int nothing = 0;
    while (!reader.IsAtEnd()) {
        if (reader.ReadFrame(0) == CQXFrameReader::kVideo) {
            reader.GetCompletedFrame()->Reset();
            ++frames;
        } else {
            ++nothing;
            reader.ResetFill();
        }
    }
    EXPECT_GE(nothing, 1);
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, static_cast<int>(bodies.size()));
}

TEST(CQXFrameReader, LandsOnAFrameByThePlaceOfItsStartCode) {
    // Small frames, many to a packet, one of them begun by a start code cut in two by sound.
    std::vector<Bytes> bodies = SmallFrames(120);
    MemoryStream stream;
    stream.AddVideoSplitBySound(bodies, 60);
    CQXFrameReader reader(stream);
    std::vector<std::uint64_t> places;
    for (int result; (result = reader.ReadFrame(0)) != CQXFrameReader::kNothing;) {
        if (result == CQXFrameReader::kVideo) {
            EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[places.size()]));
            places.push_back(reader.GetCompletedPlace());
            reader.GetCompletedFrame()->Reset();
        }
    }
    ASSERT_EQ(places.size(), bodies.size());

    // Backwards, each frame again from its place; the one that runs over the sound packet
    // comes after the sound.
    for (std::size_t n = bodies.size(); n-- > 0;) {
        int result = reader.ReadFrameAt(places[n]);
        if (n == 59) {
            EXPECT_EQ(result, CQXFrameReader::kAudio);
            result = reader.ReadFrame(0);
        }
        ASSERT_EQ(result, CQXFrameReader::kVideo) << n;
        EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[n])) << n;
        EXPECT_EQ(reader.GetCompletedPlace(), places[n]);
        reader.GetCompletedFrame()->Reset();
    }
    // Forward reading goes on after a landing.
    ASSERT_EQ(reader.ReadFrame(0), CQXFrameReader::kVideo);
    EXPECT_TRUE(SameBody(*reader.GetCompletedFrame(), bodies[1]));
    EXPECT_EQ(reader.GetCompletedPlace(), places[1]);
}
