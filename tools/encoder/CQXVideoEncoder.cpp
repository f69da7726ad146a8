#include "CQXVideoEncoder.h"

#include "QXBitWriter.h"
#include "QXDctCoefficientCode.h"
#include "QXForwardDct.h"
#include "QXInverseDct.h"
#include "QXVideoScan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMacroblock = 16;
constexpr int kBlock = 8;
constexpr int kIncrementBits = 6;
constexpr int kRowBits = 5;
constexpr std::uint8_t kSlicePrefix[3] = {0x00, 0x00, 0x01};
constexpr int kMaxEscapeLevel = 255;
constexpr int kMaxRun = 63;
// A DC of 0 could join the zeros of the codes around it into a false 00 00 01.
constexpr int kMinDc = 1;
constexpr int kMaxDc = 255;

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{320, 112}, {320, 136}, {640, 224}, {640, 272}};

// Finds the table code of a run and level, or null when they need an escape.
const QXDctCoefficientCode::Code* FindCode(int run, int level) {
    for (const auto& code : QXDctCoefficientCode::kCodes)
        if (code.run == run && code.level == level)
            return &code;
    return nullptr;
}

void WriteEscapeLevel(QXBitWriter& bits, int level) {
    using QXDctCoefficientCode::kEscapeLevelBits;
    if (level >= 128) {
        bits.Write(0, kEscapeLevelBits);
        bits.Write(static_cast<std::uint32_t>(level), kEscapeLevelBits);
    } else if (level <= -128) {
        bits.Write(128, kEscapeLevelBits);
        bits.Write(static_cast<std::uint32_t>(level + 256), kEscapeLevelBits);
    } else {
        bits.Write(static_cast<std::uint32_t>(level & 0xFF), kEscapeLevelBits);
    }
}

// The coefficient the decoder makes of a level.
int Dequantise(int level, int weight, int quantiser) {
    const int value = (weight * quantiser * std::abs(level)) >> QXVideoScan::kLevelShift;
    if (level > 0)
        return std::min(value, QXVideoScan::kCoefficientMax);
    return value > -QXVideoScan::kCoefficientMin ? QXVideoScan::kCoefficientMin : -value;
}

} // namespace

bool CQXVideoEncoder::IsSupportedSize(int width, int height) {
    return std::any_of(std::begin(kSizes), std::end(kSizes),
                       [&](const Size& s) { return s.width == width && s.height == height; });
}

CQXVideoEncoder::Picture CQXVideoEncoder::GetReconstruction() const {
    return {m_reconstruction[0].pixels.data(), m_reconstruction[1].pixels.data(),
            m_reconstruction[2].pixels.data(), m_width, m_height};
}

void CQXVideoEncoder::Prepare(int width, int height) {
    m_width = width;
    m_height = height;
    for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? width : width / 2;
        const int h = p == 0 ? height : height / 2;
        for (Plane* plane : {&m_reconstruction[p], &m_coded[p]}) {
            plane->width = w;
            plane->height = h;
            plane->pixels.assign(static_cast<std::size_t>(w * h), 0);
        }
    }
}

void CQXVideoEncoder::FetchBlock(const std::uint8_t* plane, int width, int height, int x, int y,
                                 std::uint8_t block[64]) {
    for (int line = 0; line < kBlock; ++line) {
        const int sourceLine = std::min(y + line, height - 1);
        std::memcpy(block + line * kBlock, plane + sourceLine * width + x, kBlock);
    }
}

bool CQXVideoEncoder::HasChanged(const std::uint8_t block[64], const Plane& coded, int x, int y,
                                 int threshold) const {
    long sum = 0;
    int count = 0;
    for (int line = 0; line < kBlock && y + line < coded.height; ++line)
        for (int i = 0; i < kBlock; ++i, ++count) {
            const int d = block[line * kBlock + i] - coded.pixels[(y + line) * coded.width + x + i];
            sum += d * d;
        }
    return count > 0 && sum > static_cast<long>(threshold) * count;
}

void CQXVideoEncoder::CodeBlock(const std::uint8_t source[64], int quantiser, Plane& reconstruction,
                                Plane& coded, int x, int y, QXBitWriter& bits) {
    double transformed[64];
    QXForwardDct::Transform(source, transformed);

    std::int32_t block[64] = {};
    const int dc = std::clamp(static_cast<int>(std::lround(transformed[0] / QXVideoScan::kDcScale)),
                              kMinDc, kMaxDc);
    bits.Write(static_cast<std::uint32_t>(dc), 8);
    block[0] = dc * QXVideoScan::kDcScale;

    int run = 0;
    for (int i = 1; i < 64; ++i) {
        const int j = QXVideoScan::kZigZag[i];
        const int weight = QXVideoScan::kIntraMatrix[j];
        const double step =
            static_cast<double>(weight * quantiser) / (1 << QXVideoScan::kLevelShift);
        const int level = std::clamp(static_cast<int>(std::lround(transformed[j] / step)),
                                     -kMaxEscapeLevel, kMaxEscapeLevel);
        if (level == 0) {
            ++run;
            continue;
        }
        block[j] = Dequantise(level, weight, quantiser);
        if (const auto* code = FindCode(run, std::abs(level))) {
            bits.WriteBits(code->bits);
            bits.Write(level < 0 ? 1 : 0, 1);
        } else {
            bits.WriteBits(QXDctCoefficientCode::kEscapeBits);
            bits.Write(static_cast<std::uint32_t>(std::min(run, kMaxRun)),
                       QXDctCoefficientCode::kEscapeRunBits);
            WriteEscapeLevel(bits, level);
        }
        run = 0;
    }
    bits.WriteBits(QXDctCoefficientCode::kEndOfBlockBits);

    QXInverseDct::Transform(block);
    for (int line = 0; line < kBlock && y + line < reconstruction.height; ++line) {
        const int at = (y + line) * reconstruction.width + x;
        for (int i = 0; i < kBlock; ++i) {
            reconstruction.pixels[at + i] =
                static_cast<std::uint8_t>(std::clamp(block[line * kBlock + i], 0, 255));
            coded.pixels[at + i] = source[line * kBlock + i];
        }
    }
}

int CQXVideoEncoder::Encode(const Picture& picture, bool key, const Options& options,
                            std::vector<std::uint8_t>& frame) {
    if (!IsSupportedSize(picture.width, picture.height) || options.quantiser < 1 ||
        options.quantiser > QXVideoScan::kMaxQuantiser || options.channel < 0 ||
        options.channel > 4)
        return 0;
    if (!key && (picture.width != m_width || picture.height != m_height))
        return 0;
    if (key)
        Prepare(picture.width, picture.height);

    frame.clear();
    frame.push_back(
        static_cast<std::uint8_t>((key ? 0x80 : 0) | (options.quantiser << 3) | options.channel));
    frame.push_back(options.statusBits);

    const std::uint8_t* sources[3] = {picture.y, picture.u, picture.v};
    const int columns = m_width / kMacroblock;
    const int rows = (m_height + kMacroblock - 1) / kMacroblock;
    for (int row = 0; row < rows; ++row) {
        frame.insert(frame.end(), std::begin(kSlicePrefix), std::end(kSlicePrefix));
        QXBitWriter bits(frame);
        bits.Write(static_cast<std::uint32_t>(row), kRowBits);
        int next = 0; // the column the decoder stands at
        for (int column = 0; column < columns; ++column) {
            std::uint8_t blocks[6][64];
            bool changed[6];
            for (int b = 0; b < 6; ++b) {
                const int p = b < 4 ? 0 : b - 3;
                const int x = b < 4 ? kMacroblock * column + kBlock * (b & 1) : kBlock * column;
                const int y = b < 4 ? kMacroblock * row + kBlock * (b >> 1) : kBlock * row;
                const Plane& plane = m_reconstruction[p];
                FetchBlock(sources[p], plane.width, plane.height, x, std::min(y, plane.height - 1),
                           blocks[b]);
                changed[b] =
                    key || HasChanged(blocks[b], m_coded[p], x, y, options.changeThreshold);
            }
            if (!key) {
                if (std::none_of(changed, changed + 6, [](bool c) { return c; }))
                    continue;
                bits.Write(static_cast<std::uint32_t>(column - next + 1), kIncrementBits);
                bits.Write((changed[3] ? 8u : 0u) | (changed[2] ? 4u : 0u) |
                               (changed[1] ? 2u : 0u) | (changed[0] ? 1u : 0u),
                           4);
                changed[4] = changed[5] = true;
            }
            for (int b = 0; b < 6; ++b) {
                if (!changed[b])
                    continue;
                const int p = b < 4 ? 0 : b - 3;
                const int x = b < 4 ? kMacroblock * column + kBlock * (b & 1) : kBlock * column;
                const int y = b < 4 ? kMacroblock * row + kBlock * (b >> 1) : kBlock * row;
                CodeBlock(blocks[b], options.quantiser, m_reconstruction[p], m_coded[p], x, y,
                          bits);
            }
            next = column + 1;
        }
        if (!key && next < columns)
            bits.Write(0, kIncrementBits);
        bits.Align();
    }
    return 1;
}
