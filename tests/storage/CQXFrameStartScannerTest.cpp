#include "CQXFrameStartScanner.h"
#include "CQXFrameReader.h"
#include "MemoryStream.h"
#include "QXStreamPlace.h"

#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

// Small coded pictures of four channels, several to a packet.
std::vector<Bytes> Pictures(int count) {
    CQXVideoEncoder encoders[4];
    std::vector<Bytes> bodies(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        CQXVideoEncoder::Options options;
        options.channel = i % 4;
        encoders[i % 4].Encode(MakeScene(320, 112, i / 4 % 8).View(), i < 4, options,
                               bodies[static_cast<std::size_t>(i)]);
    }
    return bodies;
}

// The places of the frames forward reading delivers.
std::vector<std::uint64_t> ForwardPlaces(CQXPacketSource& stream) {
    CQXFrameReader reader(stream);
    std::vector<std::uint64_t> places;
    for (int result; (result = reader.ReadFrame(0)) != CQXFrameReader::kNothing;) {
        if (result == CQXFrameReader::kVideo) {
            places.push_back(reader.GetCompletedPlace());
            reader.GetCompletedFrame()->Reset();
        }
    }
    return places;
}
} // namespace

TEST(CQXFrameStartScanner, FindsEveryFrameStartBackwardsAsForwardReadingMeetsThem) {
    std::vector<Bytes> bodies = Pictures(60);
    MemoryStream stream;
    stream.AddVideoSplitBySound(bodies, 30);
    const std::vector<std::uint64_t> places = ForwardPlaces(stream);
    ASSERT_EQ(places.size(), bodies.size());
    // Frame 30's start code ends in the packet after the sound, its last byte within the
    // payload's first three.
    EXPECT_EQ(stream.packets[QXStreamPlace::Packet(places[30]) - 1][6], CQX4KPacket::kAudioMarker);
    EXPECT_LT(QXStreamPlace::Offset(places[30]), CQX4KPacket::kHeaderSize + 3);

    CQXFrameStartScanner scanner(stream);
    CQXFrameStartScanner::Start start;
    // From past the end, the last start code (which begins no frame) is passed over.
    start.place = QXStreamPlace::Of(stream.length + 1, 0);
    for (std::size_t n = bodies.size(); n-- > 0;) {
        ASSERT_TRUE(scanner.FindBefore(start.place, start)) << n;
        EXPECT_EQ(start.place, places[n]) << n;
        EXPECT_EQ(start.header, bodies[n][0]) << n;
        EXPECT_EQ(start.channelSet, 0x0F);
    }
    EXPECT_FALSE(scanner.FindBefore(start.place, start));
    // A packet's start lies before the starts that end in it.
    ASSERT_TRUE(scanner.FindBefore(QXStreamPlace::Of(QXStreamPlace::Packet(places[45]), 0), start));
    EXPECT_LT(start.place, QXStreamPlace::Of(QXStreamPlace::Packet(places[45]), 0));
}

TEST(CQXFrameStartScanner, AStartCodeCutByABreakInTheStreamIsNoStart) {
    std::vector<Bytes> bodies = Pictures(40);
    MemoryStream stream;
    stream.AddVideoSplitBySound(bodies, 20);
    const std::uint64_t split = ForwardPlaces(stream)[20];
    // The sound packet becomes a packet that is neither: forward reading starts afresh after it.
    const std::uint32_t sound = QXStreamPlace::Packet(split) - 1;
    stream.packets[sound][CQX4KPacket::kHeaderSize - 1] = 0x0F;
    stream.packets[sound][0] = 0x06;
    stream.packets[sound][1] = 0; // month 0
    CQXFrameStartScanner scanner(stream);
    CQXFrameStartScanner::Start start;
    ASSERT_TRUE(scanner.FindBefore(split + 1, start));
    EXPECT_LT(start.place, QXStreamPlace::Of(sound, 0));
    // An unreadable packet holds no starts either.
    stream.failing.insert(QXStreamPlace::Packet(start.place));
    scanner.Forget();
    CQXFrameStartScanner::Start earlier;
    ASSERT_TRUE(scanner.FindBefore(start.place, earlier));
    EXPECT_LT(QXStreamPlace::Packet(earlier.place), QXStreamPlace::Packet(start.place));
}
