#pragma once
#include <cstdint>
#include <memory>
#include <string>

class CQXCodedPicture;
class QXBitReader;
struct QXDecodedPicture;

// Decodes the DVR's intra DCT pictures into planar YUV 4:2:0. A key picture codes every
// macroblock and sets the picture size; a non-key picture replaces only the macroblocks and
// luma blocks it codes, the rest keeps the previous picture.
class CQXVideoDecoder {
public:
    // The error counters, numbered as in the diagnostics text.
    enum Counter {
        kNullFrame = 1,      // nf
        kFrameNotValid,      // nr
        kZeroQuantiser,      // zq
        kUnlistedSliceCount, // si (not a failure by itself)
        kUnused,             // sa (kept, never counted)
        kNoPicture,          // ni (no key picture seen yet)
        kRowOutOfRange,      // sx
        kBadSliceStart,      // al
        kOutsidePicture,     // bx (not a failure: the macroblock is dropped)
        kBlockFailed,        // ib
    };
    static constexpr int kCounterCount = 10;
    static const char* const kCounterLabels[kCounterCount];

    static constexpr int kMaxWidth = 640;
    static constexpr int kMaxHeight = 272;
    static constexpr std::uint32_t kLumaSize = kMaxWidth * kMaxHeight;
    static constexpr std::uint32_t kChromaSize = kLumaSize / 4;

    enum Plane { kY = 0, kU = 1, kV = 2 };

    CQXVideoDecoder();
    ~CQXVideoDecoder();
    CQXVideoDecoder(const CQXVideoDecoder&) = delete;
    CQXVideoDecoder& operator=(const CQXVideoDecoder&) = delete;

    // Clears geometry, counters and the planes, allocating the planes the first time. 1/0.
    [[nodiscard]] int Initialize();
    void Release();

    // Decodes a complete frame. Returns the three output planes (Y, U, V; lines of GetWidth()
    // and GetWidth() / 2 bytes), or null on failure; the output then keeps the previous picture.
    // The planes stay valid and unchanged until the next successful Decode.
    const std::uint8_t* const* Decode(const CQXCodedPicture* frame);
    const std::uint8_t* const* GetPlanes() const { return m_output; }

    // The current picture and its geometry; empty (size 0) before the first key picture.
    void SavePicture(QXDecodedPicture& picture) const;
    // Makes a saved picture the current one, as if this decoder had decoded it: the next
    // non-key picture updates it. Returns the output planes as Decode does, or null when the
    // decoder is not initialised or the picture is empty. The counters are left alone.
    const std::uint8_t* const* LoadPicture(const QXDecodedPicture& picture);

    // The picture size a key picture of that many slices has; false for an unlisted count.
    static bool GeometryForSlices(int slices, int& width, int& height);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    std::uint32_t GetCounter(Counter counter) const { return m_counters[counter - 1]; }

    // Reads one block's coefficients (natural order, dequantised and limited to -2048..2047) into
    // `block`, which must be all zero, and marks in `rows` the rows that may hold non-zero ones
    // (bit r: row r; the others stay zero). Returns 0 for a code that is not in the table or a
    // run past the block's end.
    static int ReadCoefficients(QXBitReader& bits, int quantiser, std::int32_t block[64],
                                unsigned& rows);

private:
    static constexpr int kBlocksPerMacroblock = 6; // four luma blocks, then U and V

    int DecodeSlice(QXBitReader& bits, bool key);
    void PlaceMacroblock(std::int32_t (&blocks)[kBlocksPerMacroblock][64],
                         const unsigned (&rows)[kBlocksPerMacroblock], unsigned coded, int column,
                         int row);
    void PlaceBlock(std::int32_t block[64], unsigned rows, int b, int column, int row);
    void Count(Counter counter) { ++m_counters[counter - 1]; }

    std::unique_ptr<std::uint8_t[]> m_memory; // all six planes
    std::uint8_t* m_output[3] = {};
    std::uint8_t* m_work[3] = {};
    int m_highestRow = 0;
    int m_columns = 0;
    int m_width = 0;
    int m_height = 0;
    int m_quantiser = 0;
    std::uint32_t m_counters[kCounterCount] = {};
};
