#include "CQXVideoDecoder.h"
#include "QXDecodedPicture.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Geometry {
    int width, height, slices;
};
constexpr Geometry kGeometries[] = {{320, 112, 7}, {320, 136, 9}, {640, 224, 14}, {640, 272, 17}};

// The smallest PSNR (dB) of a decoded scene at each quantiser, luma and chroma alike.
double MinimumPsnr(int quantiser) {
    return quantiser <= 2 ? 40 : quantiser <= 6 ? 34 : 29;
}

void ExpectSamePicture(const std::uint8_t* const* planes, const CQXVideoEncoder::Picture& p) {
    const std::size_t luma = static_cast<std::size_t>(p.width * p.height);
    EXPECT_EQ(std::memcmp(planes[0], p.y, luma), 0);
    EXPECT_EQ(std::memcmp(planes[1], p.u, luma / 4), 0);
    EXPECT_EQ(std::memcmp(planes[2], p.v, luma / 4), 0);
}

} // namespace

TEST(CQXVideoDecoderRoundTrip, KeyPicturesAtEveryGeometryAndQuantiser) {
    for (const Geometry& g : kGeometries) {
        const TestPicture scene = MakeScene(g.width, g.height);
        CQXVideoDecoder decoder;
        ASSERT_EQ(decoder.Initialize(), 1);
        CQXVideoFrame frame;
        for (int q = 1; q <= 15; ++q) {
            SCOPED_TRACE(testing::Message() << g.width << "x" << g.height << " q " << q);
            CQXVideoEncoder encoder;
            std::vector<std::uint8_t> body;
            CQXVideoEncoder::Options options;
            options.quantiser = q;
            options.channel = q % 5;
            ASSERT_EQ(encoder.Encode(scene.View(), true, options, body), 1);
            ASSERT_TRUE(AssembleFrame(frame, body));
            EXPECT_EQ(frame.GetSliceCount(), g.slices);
            EXPECT_EQ(frame.GetChannel(), q % 5);
            const std::uint8_t* const* planes = decoder.Decode(&frame);
            ASSERT_NE(planes, nullptr);
            EXPECT_EQ(decoder.GetWidth(), g.width);
            EXPECT_EQ(decoder.GetHeight(), g.height);
            ExpectSamePicture(planes, encoder.GetReconstruction());
            const std::size_t luma = static_cast<std::size_t>(g.width * g.height);
            EXPECT_GE(Psnr(planes[0], scene.y.data(), luma), MinimumPsnr(q));
            EXPECT_GE(Psnr(planes[1], scene.u.data(), luma / 4), MinimumPsnr(q));
            EXPECT_GE(Psnr(planes[2], scene.v.data(), luma / 4), MinimumPsnr(q));
            EXPECT_EQ(decoder.GetCounter(CQXVideoDecoder::kOutsidePicture), 0u);
        }
    }
}

TEST(CQXVideoDecoderRoundTrip, NonKeyPicturesCodeOnlyWhatMoved) {
    for (const Geometry& g : kGeometries) {
        SCOPED_TRACE(testing::Message() << g.width << "x" << g.height);
        CQXVideoEncoder encoder;
        CQXVideoDecoder decoder;
        ASSERT_EQ(decoder.Initialize(), 1);
        CQXVideoFrame frame;
        std::vector<std::uint8_t> body;
        CQXVideoEncoder::Options options;
        ASSERT_EQ(encoder.Encode(MakeScene(g.width, g.height).View(), true, options, body), 1);
        const std::size_t keyLength = body.size();
        ASSERT_TRUE(AssembleFrame(frame, body));
        ASSERT_NE(decoder.Decode(&frame), nullptr);
        for (int phase = 1; phase <= 4; ++phase) {
            // The same noise pattern: only the moving square changes.
            const TestPicture scene = MakeScene(g.width, g.height, phase);
            ASSERT_EQ(encoder.Encode(scene.View(), false, options, body), 1);
            EXPECT_LT(body.size() * 5, keyLength);
            ASSERT_TRUE(AssembleFrame(frame, body));
            EXPECT_EQ(frame.IsKeyFrame(), 0u);
            const std::uint8_t* const* planes = decoder.Decode(&frame);
            ASSERT_NE(planes, nullptr);
            ExpectSamePicture(planes, encoder.GetReconstruction());
            const std::size_t luma = static_cast<std::size_t>(g.width * g.height);
            EXPECT_GE(Psnr(planes[0], scene.y.data(), luma), 33);
        }
        // A still picture: every slice is empty.
        ASSERT_EQ(encoder.Encode(MakeScene(g.width, g.height, 4).View(), false, options, body), 1);
        EXPECT_EQ(body.size(), 2u + 5u * static_cast<std::size_t>(g.slices));
    }
}

TEST(CQXVideoDecoderRoundTrip, ASavedPictureLetsAnotherDecoderGoOnAsTheFirstWould) {
    CQXVideoEncoder encoder;
    CQXVideoDecoder first, second;
    ASSERT_EQ(first.Initialize(), 1);
    ASSERT_EQ(second.Initialize(), 1);
    QXDecodedPicture saved;
    second.SavePicture(saved);
    EXPECT_EQ(saved.width, 0);
    EXPECT_EQ(second.LoadPicture(saved), nullptr) << "no picture to go on from";

    CQXVideoFrame frame;
    CQXVideoEncoder::Options options;
    for (int phase = 0; phase < 3; ++phase) {
        std::vector<std::uint8_t> body;
        ASSERT_EQ(encoder.Encode(MakeScene(640, 224, phase).View(), phase == 0, options, body), 1);
        ASSERT_TRUE(AssembleFrame(frame, body));
        ASSERT_NE(first.Decode(&frame), nullptr);
        if (phase == 1) {
            first.SavePicture(saved);
            EXPECT_EQ(saved.planes.size(), 640u * 224u * 3 / 2);
            const std::uint8_t* const* loaded = second.LoadPicture(saved);
            ASSERT_NE(loaded, nullptr);
            EXPECT_EQ(second.GetWidth(), 640);
            EXPECT_EQ(second.GetHeight(), 224);
            ExpectSamePicture(loaded, encoder.GetReconstruction());
        }
    }
    // The non-key picture after the saved one decodes the same on both.
    const std::uint8_t* const* planes = second.Decode(&frame);
    ASSERT_NE(planes, nullptr);
    ExpectSamePicture(planes, encoder.GetReconstruction());
    EXPECT_EQ(second.GetCounter(CQXVideoDecoder::kNoPicture), 0u);
}
