#include "CQXVideoDecoder.h"
#include "QXBitReader.h"
#include "QXBitWriter.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Counter = CQXVideoDecoder::Counter;

std::uint8_t Header(bool key, int quantiser, int channel) {
    return static_cast<std::uint8_t>((key ? 0x80 : 0) | (quantiser << 3) | channel);
}

// A frame body: header bytes, then one slice per entry, each written by its function after
// the slice prefix and byte-aligned.
Bytes BuildFrame(std::uint8_t header,
                 const std::vector<std::function<void(QXBitWriter&)>>& slices) {
    Bytes body = {header, 0x00};
    for (const auto& slice : slices) {
        body.insert(body.end(), {0x00, 0x00, 0x01});
        QXBitWriter bits(body);
        slice(bits);
        bits.Align();
    }
    return body;
}

// A flat block: DC only.
void FlatBlock(QXBitWriter& bits, int dc) {
    bits.Write(static_cast<std::uint32_t>(dc), 8);
    bits.WriteBits("10");
}

void Escape(QXBitWriter& bits, int run, std::initializer_list<std::uint32_t> levelBytes) {
    bits.WriteBits("000001");
    bits.Write(static_cast<std::uint32_t>(run), 6);
    for (std::uint32_t b : levelBytes)
        bits.Write(b, 8);
}

std::vector<std::int32_t> Coefficients(const std::function<void(QXBitWriter&)>& write, int q,
                                       int* result = nullptr) {
    Bytes data;
    QXBitWriter bits(data);
    write(bits);
    bits.Align();
    QXBitReader reader(data.data(), data.data() + data.size());
    std::vector<std::int32_t> block(64);
    unsigned rows = 0;
    const int r = CQXVideoDecoder::ReadCoefficients(reader, q, block.data(), rows);
    for (int row = 0; row < 8 && r; ++row) {
        if (!(rows & (1u << row))) {
            EXPECT_TRUE(std::all_of(&block[8 * row], &block[8 * row + 8],
                                    [](std::int32_t c) { return c == 0; }))
                << "row " << row << " is not marked";
        }
    }
    if (result)
        *result = r;
    return block;
}

class CQXVideoDecoderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(decoder.Initialize(), 1); }

    const std::uint8_t* const* DecodeBody(const Bytes& body) {
        EXPECT_TRUE(AssembleFrame(frame, body));
        return decoder.Decode(&frame);
    }

    // A 320x112 key picture whose every block is flat with value `dc`.
    Bytes FlatKeyPicture(int dc) {
        std::vector<std::function<void(QXBitWriter&)>> slices;
        for (int row = 0; row < 7; ++row)
            slices.push_back([row, dc](QXBitWriter& bits) {
                bits.Write(static_cast<std::uint32_t>(row), 5);
                for (int mb = 0; mb < 20 * 6; ++mb)
                    FlatBlock(bits, dc);
            });
        return BuildFrame(Header(true, 4, 0), slices);
    }

    std::uint32_t Count(Counter c) const { return decoder.GetCounter(c); }

    CQXVideoDecoder decoder;
    CQXVideoFrame frame;
};

} // namespace

TEST(CQXVideoDecoderCoefficients, EscapeLevelsAndDequantisation) {
    // Level byte 128 then 0x80: -128; level byte 0 then 0xC8: 200; 0xFF: -1; 0x05: 5.
    auto block = Coefficients(
        [](QXBitWriter& bits) {
            bits.Write(10, 8);
            Escape(bits, 0, {128, 0x80}); // i = 1, zig-zag 1, W 16
            Escape(bits, 0, {0, 0xC8});   // i = 2, natural 8, W 16
            Escape(bits, 0, {0xFF});      // i = 3, natural 16, W 19
            Escape(bits, 0, {0x05});      // i = 4, natural 9, W 16
            bits.WriteBits("10");
        },
        1);
    EXPECT_EQ(block[0], 80);
    EXPECT_EQ(block[1], -((16 * 128) >> 2));
    EXPECT_EQ(block[8], (16 * 200) >> 2);
    EXPECT_EQ(block[16], -((19 * 1) >> 2));
    EXPECT_EQ(block[9], (16 * 5) >> 2);

    // Level 1 at quantiser 15 in the last position (W 83): (83 x 15 x 1) >> 2 = 311.
    block = Coefficients(
        [](QXBitWriter& bits) {
            bits.Write(0, 8);
            Escape(bits, 62, {1});
            bits.WriteBits("10");
        },
        15);
    EXPECT_EQ(block[63], 311);

    // Table codes with their sign bit, and the limits -2048 and 2047.
    block = Coefficients(
        [](QXBitWriter& bits) {
            bits.Write(255, 8);
            bits.WriteBits("0111"); // run 1, level 1, negative: i = 2, natural 8
            bits.WriteBits("00100110");
            bits.Write(0, 1);            // run 0, level 5: i = 3, natural 16
            Escape(bits, 59, {0, 0xFF}); // i = 63, level 255: 83 x 15 x 255 >> 2
            bits.WriteBits("10");
        },
        15);
    EXPECT_EQ(block[0], 2040);
    EXPECT_EQ(block[8], -((16 * 15) >> 2));
    EXPECT_EQ(block[16], (19 * 15 * 5) >> 2);
    EXPECT_EQ(block[63], 2047);
    block = Coefficients(
        [](QXBitWriter& bits) {
            bits.Write(0, 8);
            Escape(bits, 62, {128, 0x01}); // level -255
            bits.WriteBits("10");
        },
        15);
    EXPECT_EQ(block[63], -2048);
}

TEST(CQXVideoDecoderCoefficients, RunPastTheBlockOrUnknownCodeFails) {
    int result = 1;
    Coefficients(
        [](QXBitWriter& bits) {
            bits.Write(0, 8);
            Escape(bits, 63, {1}); // i = 64
        },
        1, &result);
    EXPECT_EQ(result, 0);
    result = 1;
    Coefficients([](QXBitWriter& bits) { bits.Write(0x80, 8), bits.Write(0, 16); }, 1, &result);
    EXPECT_EQ(result, 0);
}

TEST_F(CQXVideoDecoderTest, FailuresCountTheirCauseAndKeepThePicture) {
    EXPECT_EQ(decoder.Decode(nullptr), nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kNullFrame), 1u);
    EXPECT_EQ(decoder.Decode(&frame), nullptr); // not complete
    EXPECT_EQ(Count(CQXVideoDecoder::kFrameNotValid), 1u);

    // A non-key picture before any key picture.
    const Bytes nonKey = BuildFrame(Header(false, 4, 0), {[](QXBitWriter& bits) {
                                        bits.Write(0, 5);
                                        bits.Write(0, 6);
                                    }});
    EXPECT_EQ(DecodeBody(nonKey), nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kNoPicture), 1u);
    EXPECT_EQ(decoder.GetWidth(), 0);

    const std::uint8_t* const* planes = DecodeBody(FlatKeyPicture(90));
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(decoder.GetWidth(), 320);
    EXPECT_EQ(decoder.GetHeight(), 112);
    const Bytes before(planes[0], planes[0] + 320 * 112);
    EXPECT_EQ(before[320 * 111 + 319], 90);

    Bytes zeroQ = FlatKeyPicture(30);
    zeroQ[0] = Header(true, 0, 0);
    EXPECT_EQ(DecodeBody(zeroQ), nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kZeroQuantiser), 1u);

    EXPECT_EQ(
        DecodeBody(BuildFrame(Header(false, 4, 0), {[](QXBitWriter& bits) { bits.Write(8, 5); }})),
        nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kRowOutOfRange), 1u);

    // A key picture whose last slice holds a code outside the table.
    Bytes bad = FlatKeyPicture(30);
    bad.resize(bad.size() - 20);
    bad.insert(bad.end(), 20, 0x00);
    bad.back() = 0x02;
    EXPECT_EQ(DecodeBody(bad), nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kBlockFailed), 1u);

    // The output still holds the first picture after every failure.
    EXPECT_EQ(std::memcmp(decoder.GetPlanes()[0], before.data(), before.size()), 0);
    EXPECT_EQ(Count(CQXVideoDecoder::kUnused), 0u);
}

TEST_F(CQXVideoDecoderTest, SliceThatDoesNotStartWithThePrefixFails) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    ASSERT_NE(DecodeBody(FlatKeyPicture(91)), nullptr);
    // Point the second slice one byte late by loading the frame whole and moving its offset.
    Bytes body = FlatKeyPicture(92);
    std::memcpy(frame.GetData(), body.data(), body.size());
    frame.SetLength(static_cast<std::uint32_t>(body.size()));
    frame.FindSlices();
    frame.SetComplete(true);
    ASSERT_EQ(frame.GetSliceCount(), 7);
    frame.GetData()[frame.GetSliceOffset(3) + 2] = 0x02;
    EXPECT_EQ(decoder.Decode(&frame), nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kBadSliceStart), 1u);
    EXPECT_EQ(decoder.GetPlanes()[0][0], 91);
}

TEST_F(CQXVideoDecoderTest, UnlistedSliceCountKeepsTheGeometry) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    // A key picture of only two rows: counted, not a failure, and the size stays.
    const Bytes body = BuildFrame(Header(true, 4, 0), {[](QXBitWriter& bits) {
                                                           bits.Write(0, 5);
                                                           for (int i = 0; i < 120; ++i)
                                                               FlatBlock(bits, 50);
                                                       },
                                                       [](QXBitWriter& bits) {
                                                           bits.Write(6, 5);
                                                           for (int i = 0; i < 120; ++i)
                                                               FlatBlock(bits, 60);
                                                       }});
    const std::uint8_t* const* planes = DecodeBody(body);
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kUnlistedSliceCount), 1u);
    EXPECT_EQ(decoder.GetWidth(), 320);
    EXPECT_EQ(planes[0][0], 50);
    EXPECT_EQ(planes[0][320 * 20], 90);
    EXPECT_EQ(planes[0][320 * 111], 60);
}

TEST_F(CQXVideoDecoderTest, CodedFlagsZeroChangeOnlyChroma) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    std::vector<std::function<void(QXBitWriter&)>> slices;
    for (int row = 0; row < 7; ++row)
        slices.push_back([row](QXBitWriter& bits) {
            bits.Write(static_cast<std::uint32_t>(row), 5);
            for (int mb = 0; mb < 20; ++mb) {
                bits.Write(1, 6);
                bits.Write(0, 4);
                FlatBlock(bits, 40);
                FlatBlock(bits, 200);
            }
        });
    const std::uint8_t* const* planes = DecodeBody(BuildFrame(Header(false, 4, 0), slices));
    ASSERT_NE(planes, nullptr);
    for (int i = 0; i < 320 * 112; ++i)
        ASSERT_EQ(planes[0][i], 90) << i;
    for (int i = 0; i < 160 * 56; ++i) {
        ASSERT_EQ(planes[1][i], 40) << i;
        ASSERT_EQ(planes[2][i], 200) << i;
    }
}

TEST_F(CQXVideoDecoderTest, IncrementsSkipMacroblocksAndFlagsSelectLumaBlocks) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    // Row 2: macroblock 3 with luma block 1 only (flags 0010), then macroblock 7 with blocks 3
    // and 0 (flags 1001), then six zero bits end the slice.
    const Bytes body = BuildFrame(Header(false, 4, 0), {[](QXBitWriter& bits) {
                                      bits.Write(2, 5);
                                      bits.Write(4, 6);
                                      bits.Write(0b0010, 4);
                                      FlatBlock(bits, 11);
                                      FlatBlock(bits, 12);
                                      FlatBlock(bits, 13);
                                      bits.Write(4, 6);
                                      bits.Write(0b1001, 4);
                                      FlatBlock(bits, 21);
                                      FlatBlock(bits, 24);
                                      FlatBlock(bits, 25);
                                      FlatBlock(bits, 26);
                                      bits.Write(0, 6);
                                  }});
    const std::uint8_t* const* planes = DecodeBody(body);
    ASSERT_NE(planes, nullptr);
    auto luma = [&](int x, int y) { return planes[0][y * 320 + x]; };
    EXPECT_EQ(luma(3 * 16 + 8, 32), 11); // block 1 of macroblock 3
    EXPECT_EQ(luma(3 * 16, 32), 90);     // block 0 not coded
    EXPECT_EQ(luma(3 * 16 + 15, 47), 90);
    EXPECT_EQ(planes[1][16 * 160 + 3 * 8], 12);
    EXPECT_EQ(planes[2][16 * 160 + 3 * 8], 13);
    EXPECT_EQ(luma(7 * 16, 32), 21);            // block 0
    EXPECT_EQ(luma(7 * 16 + 15, 47), 24);       // block 3
    EXPECT_EQ(luma(7 * 16 + 8, 32), 90);        // block 1 not coded
    EXPECT_EQ(luma(8 * 16, 32), 90);            // after the slice end
    EXPECT_EQ(planes[1][16 * 160 + 4 * 8], 90); // skipped macroblock 4
    EXPECT_EQ(Count(CQXVideoDecoder::kOutsidePicture), 0u);
}

TEST_F(CQXVideoDecoderTest, SixZeroBitSliceLeavesTheRow) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    const std::uint8_t* const* planes = DecodeBody(BuildFrame(
        Header(false, 4, 0), {[](QXBitWriter& bits) { bits.Write(5, 5), bits.Write(0, 6); }}));
    ASSERT_NE(planes, nullptr);
    for (int i = 0; i < 320 * 112; ++i)
        ASSERT_EQ(planes[0][i], 90);
}

TEST_F(CQXVideoDecoderTest, MacroblocksOutsideThePictureAreDroppedAndCounted) {
    ASSERT_NE(DecodeBody(FlatKeyPicture(90)), nullptr);
    // Row 7 lies below a 112-line picture; column 20 lies right of it. Both are decoded (the
    // bits must be read) but not written.
    auto macroblock = [](int row, int increment, int value) {
        return [=](QXBitWriter& bits) {
            bits.Write(static_cast<std::uint32_t>(row), 5);
            bits.Write(static_cast<std::uint32_t>(increment), 6);
            bits.Write(0xF, 4);
            for (int b = 0; b < 6; ++b)
                FlatBlock(bits, value);
        };
    };
    const Bytes body = BuildFrame(
        Header(false, 4, 0), {macroblock(6, 20, 1), macroblock(5, 21, 2), macroblock(7, 1, 3)});
    const std::uint8_t* const* planes = DecodeBody(body);
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(Count(CQXVideoDecoder::kOutsidePicture), 2u);
    EXPECT_EQ(planes[0][320 * 111 + 319], 1);
    EXPECT_EQ(planes[0][320 * 111 + 303], 90);
    EXPECT_EQ(std::count(planes[0], planes[0] + 320 * 112, 2), 0);
    EXPECT_EQ(std::count(planes[0], planes[0] + 320 * 112, 3), 0);
}

TEST_F(CQXVideoDecoderTest, LastRowOfA136LinePictureKeepsItsUpperHalf) {
    CQXVideoEncoder encoder;
    const TestPicture scene = MakeScene(320, 136);
    Bytes body;
    ASSERT_EQ(encoder.Encode(scene.View(), true, {}, body), 1);
    const std::uint8_t* const* planes = DecodeBody(body);
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(decoder.GetHeight(), 136);
    EXPECT_GE(Psnr(planes[0] + 320 * 128, scene.y.data() + 320 * 128, 320 * 8), 33);
    EXPECT_GE(Psnr(planes[1] + 160 * 64, scene.u.data() + 160 * 64, 160 * 4), 33);
}
