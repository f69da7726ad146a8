#include "CQXVideoDecoder.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

// Damaged input must never make the decoder read or write outside its buffers; run under the
// address and undefined-behaviour sanitizers these tests catch any such access.

TEST(CQXVideoDecoderFuzz, TruncatedAndCorruptedFramesAreSafe) {
    CQXVideoEncoder encoder;
    CQXVideoDecoder decoder;
    ASSERT_EQ(decoder.Initialize(), 1);
    CQXVideoFrame frame;
    std::mt19937 random(3);
    int failures = 0;
    for (int width : {320, 640}) {
        const int height = width == 320 ? 136 : 272;
        std::vector<std::uint8_t> key, nonKey;
        ASSERT_EQ(encoder.Encode(MakeScene(width, height).View(), true, {}, key), 1);
        ASSERT_EQ(encoder.Encode(MakeScene(width, height, 2).View(), false, {}, nonKey), 1);
        for (const auto* original : {&key, &nonKey})
            for (int trial = 0; trial < 150; ++trial) {
                std::vector<std::uint8_t> bytes = *original;
                if (trial % 3 == 0) {
                    bytes.resize(random() % bytes.size());
                } else {
                    const int flips = 1 + static_cast<int>(random() % 8);
                    for (int i = 0; i < flips; ++i)
                        bytes[random() % bytes.size()] ^=
                            static_cast<std::uint8_t>(1u << (random() % 8));
                }
                LoadWhole(frame, bytes);
                failures += decoder.Decode(&frame) == nullptr;
                ASSERT_LE(decoder.GetWidth(), CQXVideoDecoder::kMaxWidth);
            }
    }
    EXPECT_GT(failures, 0);
}

TEST(CQXVideoDecoderFuzz, RandomBytesAreSafe) {
    CQXVideoDecoder decoder;
    ASSERT_EQ(decoder.Initialize(), 1);
    CQXVideoFrame frame;
    std::mt19937 random(9);
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<std::uint8_t> bytes(1 + random() % 3000);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        // Slice prefixes at random places, and a key header now and then, give the decoder
        // something to walk into.
        const int slices = static_cast<int>(random() % 18);
        for (int s = 0; s < slices && bytes.size() > 8; ++s) {
            const std::size_t at = 1 + random() % (bytes.size() - 4);
            bytes[at] = 0;
            bytes[at + 1] = 0;
            bytes[at + 2] = 1;
        }
        if (trial % 2 == 0)
            bytes[0] |= 0x80;
        // A slice prefix in the last bytes lets the reader run into the end of the frame.
        if (bytes.size() > 4 && trial % 5 == 0) {
            bytes[bytes.size() - 3] = 0;
            bytes[bytes.size() - 2] = 0;
            bytes[bytes.size() - 1] = 1;
        }
        LoadWhole(frame, bytes);
        decoder.Decode(&frame);
    }
    std::uint32_t counted = 0;
    for (int c = 1; c <= CQXVideoDecoder::kCounterCount; ++c)
        counted += decoder.GetCounter(static_cast<CQXVideoDecoder::Counter>(c));
    EXPECT_GT(counted, 0u);
}
