#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// A 24-bit device-independent bitmap held in memory, as screen captures collect the picture:
// the 40-byte information header (size 40, width, height, 1 plane, 24 bits, no compression,
// image size, the rest 0) followed by the pixel rows bottom-up, each pixel blue, green, red and
// each row padded to a multiple of 4 bytes. It is written out as a BMP or a JPEG file.
class CKWImageBuffer {
public:
    static constexpr std::uint32_t kFileHeaderBytes = 14;
    static constexpr std::uint32_t kInfoHeaderBytes = 40;
    static constexpr std::uint16_t kBitsPerPixel = 24;

    // Replaces the picture with a black one of the size. 0 when a size is not positive, the
    // picture would not fit a BMP file or memory is short; the buffer is then empty.
    [[nodiscard]] int Create(std::int32_t width, std::int32_t height);
    void Release();
    bool IsEmpty() const { return !m_bitmap; }

    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    // ((24 x width + 31) >> 5) x 4
    std::uint32_t GetRowBytes() const { return m_rowBytes; }
    static std::uint64_t RowBytes(std::int32_t width) {
        return ((24 * static_cast<std::uint64_t>(width) + 31) >> 5) * 4;
    }
    std::uint32_t GetImageBytes() const {
        return m_rowBytes * static_cast<std::uint32_t>(m_height);
    }
    // The information header and the rows after it, as a BMP file holds them.
    const std::uint8_t* GetBitmap() const { return m_bitmap.get(); }

    // (x, y) counted from the top; outside the picture nothing happens.
    void SetPixel(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                  std::uint8_t blue);

    // Writes the 14-byte file header ("BM", file size, two reserved words 0, offset of the
    // rows) and then the bitmap as held. 1 when all of it was written.
    int WriteBmp(int file) const;
    // Replaces the picture with the one of a BMP file read from its start: uncompressed 24-bit
    // rows, bottom-up or top-down. 0 when the file is not such a BMP file, is cut short or
    // cannot be read; the buffer is then empty.
    [[nodiscard]] int ReadBmp(int file);
    // Writes a baseline RGB JPEG file of quality 75; on failure shows "JPEG File Write Error"
    // (after the library's own report) and returns 0.
    int WriteJpeg(int file) const;

private:
    std::size_t BitmapBytes() const { return kInfoHeaderBytes + GetImageBytes(); }
    std::uint8_t* Row(std::int32_t y) const;

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint32_t m_rowBytes = 0;
    std::unique_ptr<std::uint8_t[]> m_bitmap;
};
