#include "CKWImageBuffer.h"

#include "KWFileRead.h"
#include "KWFileWrite.h"
#include "KWJpegFile.h"
#include "KWMessageBox.h"
#include "QXLittleEndian.h"

#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const kJpegWriteErrorText = "JPEG File Write Error";
const char* const kJpegWriteErrorCaption = "JPEG Capture Error";

void Put16(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out + 2, value >> 16);
}
} // namespace

int CKWImageBuffer::Create(std::int32_t width, std::int32_t height) {
    Release();
    if (width <= 0 || height <= 0)
        return 0;
    const std::uint64_t rowBytes = RowBytes(width);
    // The BMP file size must fit its 32-bit field.
    if (rowBytes * static_cast<std::uint64_t>(height) >
        std::numeric_limits<std::uint32_t>::max() - kFileHeaderBytes - kInfoHeaderBytes)
        return 0;
    m_width = width;
    m_height = height;
    m_rowBytes = static_cast<std::uint32_t>(rowBytes);
    m_bitmap.reset(new (std::nothrow) std::uint8_t[BitmapBytes()]());
    if (!m_bitmap) {
        Release();
        return 0;
    }
    std::uint8_t* header = m_bitmap.get();
    Put32(header, kInfoHeaderBytes);
    Put32(header + 4, static_cast<std::uint32_t>(width));
    Put32(header + 8, static_cast<std::uint32_t>(height));
    Put16(header + 12, 1);
    Put16(header + 14, kBitsPerPixel);
    Put32(header + 20, GetImageBytes());
    return 1;
}

void CKWImageBuffer::Release() {
    m_bitmap.reset();
    m_width = 0;
    m_height = 0;
    m_rowBytes = 0;
}

std::uint8_t* CKWImageBuffer::Row(std::int32_t y) const {
    const auto stored = static_cast<std::size_t>(m_height - 1 - y);
    return m_bitmap.get() + kInfoHeaderBytes + stored * m_rowBytes;
}

void CKWImageBuffer::SetPixel(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    std::uint8_t* pixel = Row(y) + 3 * static_cast<std::size_t>(x);
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

int CKWImageBuffer::WriteBmp(int file) const {
    if (!m_bitmap)
        return 0;
    std::uint8_t header[kFileHeaderBytes] = {'B', 'M'};
    Put32(header + 2, kFileHeaderBytes + static_cast<std::uint32_t>(BitmapBytes()));
    Put32(header + 10, kFileHeaderBytes + kInfoHeaderBytes);
    return KWWriteAll(file, header, sizeof header) &&
                   KWWriteAll(file, m_bitmap.get(), BitmapBytes())
               ? 1
               : 0;
}

int CKWImageBuffer::ReadBmp(int file) {
    Release();
    std::uint8_t headers[kFileHeaderBytes + kInfoHeaderBytes];
    if (!KWReadAll(file, headers, sizeof headers) || headers[0] != 'B' || headers[1] != 'M')
        return 0;
    using QXLittleEndian::Get16;
    using QXLittleEndian::Get32;
    const std::uint32_t offset = Get32(headers + 10);
    const std::uint8_t* info = headers + kFileHeaderBytes;
    const auto width = static_cast<std::int32_t>(Get32(info + 4));
    const auto height = static_cast<std::int32_t>(Get32(info + 8));
    const bool uncompressed24 =
        Get16(info + 12) == 1 && Get16(info + 14) == kBitsPerPixel && Get32(info + 16) == 0;
    const std::uint32_t infoBytes = Get32(info);
    if (infoBytes < kInfoHeaderBytes || offset < std::uint64_t{kFileHeaderBytes} + infoBytes ||
        !uncompressed24 || height == std::numeric_limits<std::int32_t>::min())
        return 0;
    // A negative height stores the rows top-down.
    const bool topDown = height < 0;
    const std::int32_t rows = topDown ? -height : height;
    // A header that promises more rows than the file holds is refused before any memory is
    // taken for them.
    struct stat status {};
    if (width <= 0 || fstat(file, &status) != 0 ||
        offset + RowBytes(width) * static_cast<std::uint64_t>(rows) >
            static_cast<std::uint64_t>(status.st_size) ||
        !Create(width, rows))
        return 0;
    bool read = lseek(file, offset, SEEK_SET) == static_cast<off_t>(offset);
    if (topDown) {
        for (std::int32_t y = 0; read && y < m_height; ++y)
            read = KWReadAll(file, Row(y), m_rowBytes);
    } else {
        read = read && KWReadAll(file, m_bitmap.get() + kInfoHeaderBytes, GetImageBytes());
    }
    if (!read)
        Release();
    return read ? 1 : 0;
}

int CKWImageBuffer::WriteJpeg(int file) const {
    const auto width = static_cast<std::size_t>(m_width);
    const std::size_t packedRow = 3 * width;
    std::unique_ptr<std::uint8_t[]> rgb(
        new (std::nothrow) std::uint8_t[packedRow * static_cast<std::size_t>(m_height)]);
    int result = 0;
    if (m_bitmap && rgb) {
        // Top-down rows of red, green, blue.
        for (std::int32_t y = 0; y < m_height; ++y) {
            const std::uint8_t* from = Row(y);
            std::uint8_t* to = rgb.get() + static_cast<std::size_t>(y) * packedRow;
            for (std::size_t x = 0; x < width; ++x) {
                to[3 * x] = from[3 * x + 2];
                to[3 * x + 1] = from[3 * x + 1];
                to[3 * x + 2] = from[3 * x];
            }
        }
        result = RGBToJpegFile(file, rgb.get(), m_width, m_height, KWJpegFile::kColourRgb,
                               KWJpegFile::kDefaultQuality);
    }
    if (!result)
        KWMessageBox(kJpegWriteErrorText, kJpegWriteErrorCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    return result;
}
