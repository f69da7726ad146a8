#include "CQXVideoDecoder.h"

#include "CQXCodedPicture.h"
#include "QXBitReader.h"
#include "QXDctCoefficientCode.h"
#include "QXDecodedPicture.h"
#include "QXInverseDct.h"
#include "QXVideoScan.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

const char* const CQXVideoDecoder::kCounterLabels[kCounterCount] = {"nf", "nr", "zq", "si", "sa",
                                                                    "ni", "sx", "al", "bx", "ib"};

namespace {

struct Geometry {
    int sliceCount;
    int highestRow;
    int columns;
    int width;
    int height;
};

// Picture geometry by the slice count of a key picture.
constexpr Geometry kGeometries[] = {
    {7, 7, 20, 320, 112},   {9, 8, 20, 320, 136},   {14, 14, 40, 640, 224},
    {16, 17, 40, 640, 272}, {17, 17, 40, 640, 272},
};

const Geometry* FindGeometry(int slices) {
    const Geometry* geometry =
        std::find_if(std::begin(kGeometries), std::end(kGeometries),
                     [slices](const Geometry& g) { return g.sliceCount == slices; });
    return geometry == std::end(kGeometries) ? nullptr : geometry;
}

constexpr std::uint32_t kSliceStartValue = 1; // 00 00 01
constexpr int kSliceStartBits = 24;
constexpr int kRowBits = 5;
constexpr int kIncrementBits = 6;
constexpr int kCodedFlagBits = 4;
constexpr int kDcBits = 8;
constexpr int kMacroblockSize = 16;
constexpr int kBlockSize = 8;

constexpr std::uint32_t kPlaneSizes[3] = {CQXVideoDecoder::kLumaSize, CQXVideoDecoder::kChromaSize,
                                          CQXVideoDecoder::kChromaSize};

} // namespace

CQXVideoDecoder::CQXVideoDecoder() = default;

CQXVideoDecoder::~CQXVideoDecoder() {
    Release();
}

int CQXVideoDecoder::Initialize() {
    m_highestRow = m_columns = m_width = m_height = m_quantiser = 0;
    std::fill(std::begin(m_counters), std::end(m_counters), 0u);
    const std::uint32_t total = 2 * (kLumaSize + 2 * kChromaSize);
    // Planes once allocated are cleared rather than allocated again.
    if (m_memory) {
        std::fill_n(m_memory.get(), total, std::uint8_t{0});
        return 1;
    }
    m_memory.reset(new (std::nothrow) std::uint8_t[total]());
    if (!m_memory)
        return 0;
    std::uint8_t* next = m_memory.get();
    for (int plane = 0; plane < 3; ++plane) {
        m_output[plane] = next;
        m_work[plane] = next + kPlaneSizes[plane];
        next += 2 * kPlaneSizes[plane];
    }
    return 1;
}

void CQXVideoDecoder::Release() {
    m_memory.reset();
    std::fill(std::begin(m_output), std::end(m_output), nullptr);
    std::fill(std::begin(m_work), std::end(m_work), nullptr);
}

const std::uint8_t* const* CQXVideoDecoder::Decode(const CQXCodedPicture* frame) {
    if (!frame) {
        Count(kNullFrame);
        return nullptr;
    }
    if (!frame->IsComplete()) {
        Count(kFrameNotValid);
        return nullptr;
    }
    if (!m_memory)
        return nullptr; // not initialised
    m_quantiser = frame->GetQuantiser();
    if (m_quantiser == 0) {
        Count(kZeroQuantiser);
        return nullptr;
    }
    const bool key = frame->IsKeyFrame() == 1;
    const int slices = frame->GetSliceCount();
    if (key) {
        const Geometry* geometry = FindGeometry(slices);
        if (!geometry) {
            Count(kUnlistedSliceCount);
        } else {
            m_highestRow = geometry->highestRow;
            m_columns = geometry->columns;
            m_width = geometry->width;
            m_height = geometry->height;
        }
    }
    if (m_width == 0 || m_height == 0) {
        Count(kNoPicture);
        return nullptr;
    }

    // The picture starts as the previous one.
    const std::uint32_t lumaBytes = static_cast<std::uint32_t>(m_width * m_height);
    std::memcpy(m_work[kY], m_output[kY], lumaBytes);
    std::memcpy(m_work[kU], m_output[kU], lumaBytes / 4);
    std::memcpy(m_work[kV], m_output[kV], lumaBytes / 4);

    const std::uint8_t* end = frame->GetPictureEnd();
    for (int s = 0; s < slices; ++s) {
        const std::uint8_t* slice = nullptr;
        frame->GetSliceAddress(static_cast<std::uint8_t>(s), slice);
        QXBitReader bits(slice, end);
        if (!DecodeSlice(bits, key))
            return nullptr;
    }
    std::swap(m_output, m_work);
    return m_output;
}

void CQXVideoDecoder::SavePicture(QXDecodedPicture& picture) const {
    picture.highestRow = m_highestRow;
    picture.columns = m_columns;
    picture.width = m_width;
    picture.height = m_height;
    const std::size_t luma = picture.LumaSize();
    picture.planes.resize(m_memory ? luma + luma / 2 : 0);
    if (picture.planes.empty())
        return;
    std::memcpy(picture.planes.data(), m_output[kY], luma);
    std::memcpy(picture.planes.data() + luma, m_output[kU], luma / 4);
    std::memcpy(picture.planes.data() + luma + luma / 4, m_output[kV], luma / 4);
}

const std::uint8_t* const* CQXVideoDecoder::LoadPicture(const QXDecodedPicture& picture) {
    const std::size_t luma = picture.LumaSize();
    if (!m_memory || luma == 0 || luma > kLumaSize || picture.planes.size() != luma + luma / 2)
        return nullptr;
    m_highestRow = picture.highestRow;
    m_columns = picture.columns;
    m_width = picture.width;
    m_height = picture.height;
    for (int plane = kY; plane <= kV; ++plane)
        std::memcpy(m_output[plane], picture.Plane(plane), plane == kY ? luma : luma / 4);
    return m_output;
}

int CQXVideoDecoder::DecodeSlice(QXBitReader& bits, bool key) {
    if (bits.Read(kSliceStartBits) != kSliceStartValue) {
        Count(kBadSliceStart);
        return 0;
    }
    const int row = static_cast<int>(bits.Read(kRowBits));
    if (row > m_highestRow) {
        Count(kRowOutOfRange);
        return 0;
    }
    const bool rowInside = row * kMacroblockSize < m_height;
    // Zero between macroblocks: the transform leaves them so, and so must blocks that are
    // dropped. A macroblock's coefficients are all read before its first transform, which then
    // finds them written through to the cache rather than still on their way.
    alignas(64) std::int32_t blocks[kBlocksPerMacroblock][64] = {};
    unsigned rows[kBlocksPerMacroblock];
    for (int column = 0; column < m_columns; ++column) {
        unsigned coded = 0x3F; // bit b: block b is coded
        if (!key) {
            if (bits.Peek(kIncrementBits) == 0)
                return 1; // the rest of the row keeps the previous picture
            column += static_cast<int>(bits.Read(kIncrementBits)) - 1;
            // The flags arrive for blocks 3, 2, 1, 0, so bit b flags block b; chroma is always
            // coded.
            coded = 0x30 | bits.Read(kCodedFlagBits);
        }
        const bool inside = rowInside && column < m_columns;
        if (!inside)
            Count(kOutsidePicture);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            if ((coded & (1u << b)) && !ReadCoefficients(bits, m_quantiser, blocks[b], rows[b])) {
                Count(kBlockFailed);
                // The blocks before the failed one still reach the picture under work, which
                // the planes of a later picture of another size may show.
                PlaceMacroblock(blocks, rows, coded & ((1u << b) - 1), inside ? column : -1, row);
                return 0;
            }
        }
        PlaceMacroblock(blocks, rows, coded, inside ? column : -1, row);
    }
    return 1;
}

namespace {

// Reads a coefficient whose code the short table does not hold: a longer code or an escape.
// Moves `i` on to the coefficient's position and gives its level with its sign; false for bits
// that start no code.
bool ReadRareCoefficient(QXBitReader& bits, int& i, int& level) {
    using namespace QXDctCoefficientCode;
    const std::uint32_t next = bits.Show(kLongestCode + 1);
    const Entry& entry = Lookup(next >> 1);
    if (entry.kind == kRunLevel) {
        i += entry.run + 1;
        const bool negative = (next >> (kLongestCode - entry.length)) & 1;
        level = negative ? -entry.level : entry.level;
        bits.Drop(entry.length + 1);
        return true;
    }
    if (entry.kind != kEscape)
        return false;
    bits.Drop(entry.length);
    i += static_cast<int>(bits.Read(kEscapeRunBits)) + 1;
    level = static_cast<int>(bits.Read(kEscapeLevelBits));
    if (level == 0)
        level = static_cast<int>(bits.Read(kEscapeLevelBits));
    else if (level == 128)
        level = static_cast<int>(bits.Read(kEscapeLevelBits)) - 256;
    else if (level > 128)
        level -= 256;
    return true;
}

} // namespace

int CQXVideoDecoder::ReadCoefficients(QXBitReader& source, int scale, std::int32_t block[64],
                                      unsigned& rows) {
    using namespace QXDctCoefficientCode;
    // The reader and the row marks are worked on in local copies, which stay in registers: the
    // coefficient stores could alias the originals and keep them in memory.
    QXBitReader bits = source;
    unsigned marked = 1;
    block[0] = static_cast<std::int32_t>(bits.Read(kDcBits)) * QXVideoScan::kDcScale;
    int result = 0;
    for (int i = 0;;) {
        // A code and its sign bit, or an escape with its fields, fit the 32 bits Fill leaves.
        bits.Fill();
        const ShortEntry& code = kShortTable.entries[bits.Show(kShortBits)];
        int level = code.level;
        if (level != 0) {
            i += code.advance;
            bits.Drop(code.length);
        } else if (code.length != 0) {
            bits.Drop(code.length);
            result = 1; // end of block
            break;
        } else if (!ReadRareCoefficient(bits, i, level)) {
            break;
        }
        if (i >= 64)
            break;
        const int j = QXVideoScan::kZigZag[i];
        marked |= 1u << (j / kBlockSize);
        // The magnitude is weighed and limited, then signed: all without branches, as the sign
        // is as good as random. `sign` is -1 for a negative level, else 0.
        const int sign = level < 0 ? -1 : 0;
        const int value = (QXVideoScan::kScanMatrix[i] * scale * ((level ^ sign) - sign)) >>
                          QXVideoScan::kLevelShift;
        block[j] = (std::min(value, QXVideoScan::kCoefficientMax - sign) ^ sign) - sign;
    }
    source = bits;
    rows = marked;
    return result;
}

// Transforms the blocks flagged in `coded` into their places, or clears them for a macroblock
// outside the picture (column -1).
void CQXVideoDecoder::PlaceMacroblock(std::int32_t (&blocks)[kBlocksPerMacroblock][64],
                                      const unsigned (&rows)[kBlocksPerMacroblock], unsigned coded,
                                      int column, int row) {
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        if (!(coded & (1u << b)))
            continue;
        if (column >= 0)
            PlaceBlock(blocks[b], rows[b], b, column, row);
        else
            std::fill(std::begin(blocks[b]), std::end(blocks[b]), 0);
    }
}

// Transforms the block into its place: luma blocks 0-3 fill the macroblock's quarters, blocks 4
// and 5 are its U and V. Lines below the picture (the lower half of the last row of a 136-line
// picture) are left out.
void CQXVideoDecoder::PlaceBlock(std::int32_t block[64], unsigned rows, int b, int column,
                                 int row) {
    std::uint8_t* plane;
    int pitch, x, y, height;
    if (b < 4) {
        plane = m_work[kY];
        pitch = m_width;
        height = m_height;
        x = kMacroblockSize * column + kBlockSize * (b & 1);
        y = kMacroblockSize * row + kBlockSize * (b >> 1);
    } else {
        plane = m_work[b == 4 ? kU : kV];
        pitch = m_width / 2;
        height = m_height / 2;
        x = kBlockSize * column;
        y = kBlockSize * row;
    }
    const int lines = std::clamp(height - y, 0, kBlockSize);
    QXInverseDct::TransformToPixels(block, rows, plane + y * pitch + x, pitch, lines);
}

bool CQXVideoDecoder::GeometryForSlices(int slices, int& width, int& height) {
    const Geometry* geometry = FindGeometry(slices);
    if (!geometry)
        return false;
    width = geometry->width;
    height = geometry->height;
    return true;
}
