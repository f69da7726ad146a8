#include "CQXVideoDecoder.h"
#include "KWSha256.h"
#include "QXBitWriter.h"
#include "QXDctCoefficientCode.h"
#include "VideoTestPictures.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

// The decoder's exact output on streams made here (not by the encoder, so that a change of the
// encoder cannot move them): every geometry, quantisers 1-15, key and non-key pictures, large
// and escaped levels, and damaged copies. The digests were taken from the straightforward
// implementation; any faster decoder must reproduce them byte for byte.

namespace {

using Bytes = std::vector<std::uint8_t>;

// std::mt19937's sequence is fixed by the standard; the distributions are not, so only the raw
// numbers are used.
class Random {
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    int Below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::mt19937 m_engine;
};

const QXDctCoefficientCode::Code* FindCode(int run, int level) {
    for (const auto& code : QXDctCoefficientCode::kCodes)
        if (code.run == run && code.level == level)
            return &code;
    return nullptr;
}

// Writes one coefficient by its table code when there is one, else escaped. Levels beyond 127
// take the two-byte escape forms.
void WriteCoefficient(QXBitWriter& bits, int run, int level) {
    const int magnitude = level < 0 ? -level : level;
    if (const auto* code = FindCode(run, magnitude)) {
        bits.WriteBits(code->bits);
        bits.Write(level < 0 ? 1u : 0u, 1);
        return;
    }
    bits.WriteBits(QXDctCoefficientCode::kEscapeBits);
    bits.Write(static_cast<std::uint32_t>(run), 6);
    if (level >= 128) {
        bits.Write(0, 8);
        bits.Write(static_cast<std::uint32_t>(level), 8);
    } else if (level <= -128) {
        bits.Write(128, 8);
        bits.Write(static_cast<std::uint32_t>(level + 256), 8);
    } else {
        bits.Write(static_cast<std::uint32_t>(level & 0xFF), 8);
    }
}

// Blocks of every kind a camera gives, from flat to busy, and now and then one with extreme
// levels that drive the coefficients and the transform into their limits.
void WriteBlock(QXBitWriter& bits, Random& random) {
    bits.Write(static_cast<std::uint32_t>(random.Below(256)), 8);
    const int kind = random.Below(100);
    const int count = kind < 30   ? 0
                      : kind < 70 ? 1 + random.Below(4)
                      : kind < 92 ? random.Below(16)
                                  : random.Below(64);
    const bool extreme = kind >= 97;
    int i = 1;
    for (int n = 0; n < count; ++n) {
        const int run = random.Chance(70)   ? 0
                        : random.Chance(70) ? random.Below(4)
                                            : random.Below(32);
        if (i + run >= 64)
            break;
        int level = random.Chance(60)   ? 1
                    : random.Chance(70) ? 2 + random.Below(6)
                                        : 1 + random.Below(40);
        if (extreme || random.Chance(3))
            level = 100 + random.Below(156);
        WriteCoefficient(bits, run, random.Chance(50) ? -level : level);
        i += run + 1;
    }
    bits.WriteBits(QXDctCoefficientCode::kEndOfBlockBits);
}

struct Geometry {
    int slices, rows, columns;
};
constexpr Geometry kGeometries[] = {
    {7, 7, 20}, {9, 9, 20}, {14, 14, 40}, {16, 16, 40}, {17, 17, 40},
};

Bytes MakeFrame(Random& random, const Geometry& g, bool key, int quantiser) {
    Bytes body = {static_cast<std::uint8_t>((key ? 0x80 : 0) | (quantiser << 3) | 1), 0x00};
    for (int row = 0; row < g.rows; ++row) {
        body.insert(body.end(), {0x00, 0x00, 0x01});
        QXBitWriter bits(body);
        bits.Write(static_cast<std::uint32_t>(row), 5);
        int next = 0;
        for (int column = 0; column < g.columns; ++column) {
            unsigned coded = 0x3F; // bit b: block b follows
            if (!key) {
                if (random.Chance(60))
                    continue;
                bits.Write(static_cast<std::uint32_t>(column - next + 1), 6);
                coded = 0x30 | static_cast<unsigned>(random.Below(16));
                bits.Write(coded & 0x0F, 4);
            }
            for (int b = 0; b < 6; ++b)
                if (coded & (1u << b))
                    WriteBlock(bits, random);
            next = column + 1;
        }
        if (!key && next < g.columns)
            bits.Write(0, 6);
        bits.Align();
    }
    return body;
}

class OutputDigest {
public:
    void Add(const CQXVideoDecoder& decoder, const std::uint8_t* const* planes) {
        const std::uint8_t decoded = planes != nullptr;
        m_sha.Update(&decoded, 1);
        const std::size_t luma = static_cast<std::size_t>(decoder.GetWidth() * decoder.GetHeight());
        const std::uint8_t* const* output = decoder.GetPlanes();
        m_sha.Update(output[0], luma);
        m_sha.Update(output[1], luma / 4);
        m_sha.Update(output[2], luma / 4);
    }
    std::string Finish(const CQXVideoDecoder& decoder) {
        for (int c = 1; c <= CQXVideoDecoder::kCounterCount; ++c) {
            const std::uint32_t count =
                decoder.GetCounter(static_cast<CQXVideoDecoder::Counter>(c));
            m_sha.Update(reinterpret_cast<const std::uint8_t*>(&count), sizeof count);
        }
        std::string hex;
        for (std::uint8_t b : m_sha.Finish()) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", b);
            hex += digits;
        }
        return hex;
    }

private:
    KWSha256 m_sha;
};

// Key and non-key pictures at every quantiser, then damaged copies of them: bits flipped, cut
// short, slices cut out.
std::string DecodeSequence(const Geometry& g) {
    Random random(static_cast<unsigned>(g.slices));
    CQXVideoDecoder decoder;
    EXPECT_EQ(decoder.Initialize(), 1);
    CQXVideoFrame frame;
    OutputDigest digest;
    std::vector<Bytes> frames;
    for (int q = 1; q <= 15; ++q) {
        frames.push_back(MakeFrame(random, g, true, q));
        frames.push_back(MakeFrame(random, g, false, q));
        frames.push_back(MakeFrame(random, g, false, 16 - q));
    }
    for (const Bytes& bytes : frames) {
        LoadWhole(frame, bytes);
        const std::uint8_t* const* planes = decoder.Decode(&frame);
        EXPECT_NE(planes, nullptr);
        digest.Add(decoder, planes);
    }
    for (int trial = 0; trial < 60; ++trial) {
        Bytes bytes =
            frames[static_cast<std::size_t>(random.Below(static_cast<int>(frames.size())))];
        if (trial % 3 == 0) {
            bytes.resize(static_cast<std::size_t>(random.Below(static_cast<int>(bytes.size()))));
        } else if (trial % 3 == 1) {
            for (int flips = 1 + random.Below(6); flips > 0; --flips)
                bytes[static_cast<std::size_t>(random.Below(static_cast<int>(bytes.size())))] ^=
                    static_cast<std::uint8_t>(1 << random.Below(8));
        } else {
            const auto at = static_cast<std::size_t>(random.Below(static_cast<int>(bytes.size())));
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(
                                            std::min(bytes.size(), at + 1 + random.Below(300))));
        }
        LoadWhole(frame, bytes);
        digest.Add(decoder, decoder.Decode(&frame));
    }
    return digest.Finish(decoder);
}

} // namespace

TEST(CQXVideoDecoderOutput, EveryGeometryDecodesToItsKnownPictures) {
    const char* const expected[] = {
        "6635af1dfd9e82af81d0e0c78e187330ecb1fe9d8f2f707894e0ed01cd747fbc",
        "be1b690433847ffbfc5f1c7abdd6fca96246ed04fedfa823507da26d7041133a",
        "ff58e5ada2f15a113f44ad31ab755cabcad65b7c17c21b09b6048dfb6fd26909",
        "fd3886889a64d9dc89c00c9d6d82c433e55b5778d09b7d49bf62cb74bd39cd61",
        "67c50573b2ce417a74856e8aed27b125603aeb6c31ddaad711c460da23e784e7",
    };
    for (std::size_t i = 0; i < std::size(kGeometries); ++i) {
        SCOPED_TRACE(testing::Message() << kGeometries[i].slices << " slices");
        EXPECT_EQ(DecodeSequence(kGeometries[i]), expected[i]);
    }
}

TEST(CQXVideoDecoderOutput, RandomFramesDecodeToTheirKnownPictures) {
    Random random(21);
    CQXVideoDecoder decoder;
    ASSERT_EQ(decoder.Initialize(), 1);
    CQXVideoFrame frame;
    OutputDigest digest;
    for (int trial = 0; trial < 300; ++trial) {
        // A clean key picture now and then sets a geometry for the random ones to land in.
        if (trial % 50 == 0) {
            LoadWhole(frame,
                      MakeFrame(random, kGeometries[trial / 50 % std::size(kGeometries)], true, 7));
            digest.Add(decoder, decoder.Decode(&frame));
        }
        Bytes bytes(static_cast<std::size_t>(1 + random.Below(4000)));
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random.Below(256));
        // Slice prefixes at row starts with plausible row numbers keep the decoder walking.
        for (int s = random.Below(18); s > 0 && bytes.size() > 8; --s) {
            const auto at =
                static_cast<std::size_t>(1 + random.Below(static_cast<int>(bytes.size()) - 5));
            bytes[at] = 0;
            bytes[at + 1] = 0;
            bytes[at + 2] = 1;
            bytes[at + 3] =
                static_cast<std::uint8_t>((bytes[at + 3] & 0x07) | (random.Below(18) << 3));
        }
        if (trial % 2 == 0)
            bytes[0] |= 0x80;
        LoadWhole(frame, bytes);
        digest.Add(decoder, decoder.Decode(&frame));
    }
    EXPECT_EQ(digest.Finish(decoder),
              "341b26b42101e65c7704bea4cc3e9de897244d70ffaae6dbf936cb9a185da941");
}

TEST(CQXVideoDecoder, InitializingAgainForgetsThePictureTheGeometryAndTheCounters) {
    Random random(3);
    CQXVideoDecoder decoder;
    ASSERT_EQ(decoder.Initialize(), 1);
    CQXVideoFrame frame;
    LoadWhole(frame, MakeFrame(random, kGeometries[4], true, 5));
    ASSERT_NE(decoder.Decode(&frame), nullptr);
    ASSERT_EQ(decoder.Initialize(), 1);
    EXPECT_EQ(decoder.GetWidth(), 0);
    EXPECT_EQ(decoder.GetHeight(), 0);
    for (int c = 1; c <= CQXVideoDecoder::kCounterCount; ++c)
        EXPECT_EQ(decoder.GetCounter(static_cast<CQXVideoDecoder::Counter>(c)), 0u) << c;
    const std::uint32_t sizes[] = {CQXVideoDecoder::kLumaSize, CQXVideoDecoder::kChromaSize,
                                   CQXVideoDecoder::kChromaSize};
    for (int plane = 0; plane < 3; ++plane) {
        const std::uint8_t* bytes = decoder.GetPlanes()[plane];
        EXPECT_TRUE(std::all_of(bytes, bytes + sizes[plane], [](std::uint8_t b) { return b == 0; }))
            << "plane " << plane;
    }
}
