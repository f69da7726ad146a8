#include "CQXFrameLister.h"
#include "KWSha256.h"
#include "MemoryStream.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

#include <string>

TEST(CQXFrameLister, OneJsonLinePerFrameWithDigestsOfTheDecodedPlanes) {
    CQXVideoEncoder encoder;
    std::vector<std::vector<std::uint8_t>> bodies(3);
    CQXVideoEncoder::Options options;
    options.channel = 1;
    // A non-key picture of channel 2 before its first key picture cannot be decoded.
    const TestPicture first = MakeScene(320, 112);
    ASSERT_EQ(encoder.Encode(first.View(), true, options, bodies[1]), 1);
    ASSERT_EQ(encoder.Encode(MakeScene(320, 112, 1).View(), false, options, bodies[2]), 1);
    bodies[0] = bodies[2];

    MemoryStream stream;
    stream.AddVideo(VideoStream(bodies), 0x0C);
    std::vector<std::string> lines;
    CQXFrameLister lister;
    EXPECT_EQ(lister.Walk(stream, [&](const std::string& line) { lines.push_back(line); }), 3);
    ASSERT_EQ(lines.size(), 3u);

    EXPECT_EQ(lines[0].rfind("{\"n\":0,\"packet\":0,\"channel\":1,\"channel_set\":12,"
                             "\"timestamp\":\"2006-12-27 15:30:45\",\"key\":0,\"slices\":7,",
                             0),
              0u)
        << lines[0];
    EXPECT_NE(lines[0].find("\"decoded\":false,\"error\":\"ni\",\"width\":0,\"height\":0"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(
        lines[1].find("\"key\":1,\"slices\":7,\"length\":" + std::to_string(bodies[1].size() + 4) +
                      ",\"decoded\":true,"
                      "\"width\":320,\"height\":112"),
        std::string::npos)
        << lines[1];

    const CQXVideoEncoder::Picture shown = encoder.GetReconstruction();
    const std::string y = KWSha256::Hex(shown.y, 320 * 112);
    const std::string u = KWSha256::Hex(shown.u, 160 * 56);
    const std::string v = KWSha256::Hex(shown.v, 160 * 56);
    EXPECT_NE(lines[2].find("\"y_sha256\":\"" + y + "\",\"u_sha256\":\"" + u +
                            "\",\"v_sha256\":\"" + v + "\"}"),
              std::string::npos)
        << lines[2];
    EXPECT_EQ(lines[2].back(), '}');
}
