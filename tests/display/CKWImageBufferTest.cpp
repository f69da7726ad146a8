#include "CKWImageBuffer.h"
#include "KWJpegFile.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <random>
#include <unistd.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Le32(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset] | bytes[offset + 1] << 8 |
                                      bytes[offset + 2] << 16 | bytes[offset + 3] << 24);
}

// Writes through one of the writers into a new file and returns its result.
template <typename Write> int WriteFile(const std::string& path, Write write) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    EXPECT_GE(file, 0);
    const int result = write(file);
    close(file);
    return result;
}

// A picture of top-down RGB rows: red grows to the right, green downwards, and blue is noise.
Bytes TestRgb(int width, int height) {
    Bytes rgb(static_cast<std::size_t>(width * height * 3));
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgb[static_cast<std::size_t>((y * width + x) * 3)];
            noise = noise * 1103515245u + 12345u;
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = static_cast<std::uint8_t>(noise >> 24);
        }
    return rgb;
}

// The same picture through libjpeg's own memory destination with the settings the capture
// uses: baseline, quality 75, library defaults.
Bytes ReferenceJpeg(const Bytes& rgb, int width, int height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &memory, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 75, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(&rgb[info.next_scanline * width * 3u]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(memory, memory + size);
    jpeg_destroy_compress(&info);
    std::free(memory);
    return bytes;
}

class CKWImageBufferTest : public ::testing::Test {
protected:
    KWTempDir m_dir;
    KWMessageBoxRecorder m_boxes;
};
} // namespace

TEST(CKWImageBuffer, HoldsBottomUpRowsPaddedToFourBytes) {
    CKWImageBuffer image;
    EXPECT_EQ(image.Create(0, 5), 0);
    EXPECT_EQ(image.Create(5, -1), 0);
    EXPECT_EQ(image.Create(100000, 100000), 0) << "larger than a BMP file can say";
    EXPECT_TRUE(image.IsEmpty());
    ASSERT_EQ(image.Create(3, 2), 1);
    EXPECT_EQ(image.GetRowBytes(), 12u);
    EXPECT_EQ(image.GetImageBytes(), 24u);
    image.SetPixel(0, 0, 1, 2, 3);
    image.SetPixel(2, 1, 4, 5, 6);
    image.SetPixel(3, 0, 9, 9, 9); // outside: ignored
    image.SetPixel(0, -1, 9, 9, 9);
    const Bytes bitmap(image.GetBitmap(), image.GetBitmap() + 40 + 24);
    const Bytes header = {40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                          24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(bitmap.begin(), bitmap.begin() + 40), header);
    // The bottom row (y = 1) comes first; pixels are blue, green, red.
    const Bytes rows = {0, 0, 0, 0, 0, 0, 6, 5, 4, 0, 0, 0, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(bitmap.begin() + 40, bitmap.end()), rows);
}

TEST_F(CKWImageBufferTest, BmpFileIsTheHeaderFollowedByTheBitmapAsHeld) {
    CKWImageBuffer image;
    ASSERT_EQ(image.Create(5, 3), 1); // 15 bytes of pixels, 16 per row
    image.SetPixel(4, 0, 200, 100, 50);
    const std::string path = m_dir / "picture.bmp";
    ASSERT_EQ(WriteFile(path, [&](int file) { return image.WriteBmp(file); }), 1);
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), 14u + 40 + 48);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), file.size());
    EXPECT_EQ(Le32(file, 6), 0u) << "the two reserved words";
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Bytes(file.begin() + 14, file.end()),
              Bytes(image.GetBitmap(), image.GetBitmap() + 40 + 48));
    const QImage read(QString::fromStdString(path));
    ASSERT_EQ(read.size(), QSize(5, 3));
    EXPECT_EQ(read.pixel(4, 0) & 0xFFFFFF, 0xC86432u);
    EXPECT_EQ(read.pixel(0, 2) & 0xFFFFFF, 0u);
}

TEST_F(CKWImageBufferTest, JpegIsLibjpegsBaselineQuality75OfThePictureTopDown) {
    constexpr int kWidth = 320, kHeight = 240;
    const Bytes rgb = TestRgb(kWidth, kHeight);
    CKWImageBuffer image;
    ASSERT_EQ(image.Create(kWidth, kHeight), 1);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* p = &rgb[static_cast<std::size_t>((y * kWidth + x) * 3)];
            image.SetPixel(x, y, p[0], p[1], p[2]);
        }
    const std::string path = m_dir / "picture.jpg";
    ASSERT_EQ(WriteFile(path, [&](int file) { return image.WriteJpeg(file); }), 1);
    const Bytes file = ReadBytes(path);
    // Several of the destination's 4096-byte buffers, and the rest at the end.
    ASSERT_GT(file.size(), 2 * KWJpegFile::kOutputBufferBytes);
    EXPECT_EQ(file, ReferenceJpeg(rgb, kWidth, kHeight));
    const QImage read(QString::fromStdString(path));
    ASSERT_EQ(read.size(), QSize(kWidth, kHeight));
    for (const auto& [x, y] : {std::pair{300, 5}, {10, 230}, {160, 120}}) {
        const std::uint8_t* p = &rgb[static_cast<std::size_t>((y * kWidth + x) * 3)];
        EXPECT_NEAR(qRed(read.pixel(x, y)), p[0], 16) << x << "," << y;
        EXPECT_NEAR(qGreen(read.pixel(x, y)), p[1], 16) << x << "," << y;
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CKWImageBufferTest, GreyJpegHasOneComponentOfTheTruncatedWeightedSum) {
    constexpr int kWidth = 64, kHeight = 32;
    Bytes rgb;
    for (int i = 0; i < kWidth * kHeight; ++i)
        rgb.insert(rgb.end(), {100, 150, 200}); // 29.9 + 88.05 + 22.8 = 140.75
    const std::string path = m_dir / "grey.jpg";
    ASSERT_EQ(WriteFile(path,
                        [&](int file) {
                            return RGBToJpegFile(file, rgb.data(), kWidth, kHeight,
                                                 KWJpegFile::kColourGrey, 75);
                        }),
              1);
    const QImage read(QString::fromStdString(path));
    ASSERT_EQ(read.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(qGray(read.pixel(10, 10)), 140);
}

TEST_F(CKWImageBufferTest, AFullDiskIsAFailureWithTheLibrarysMessage) {
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (full < 0)
        GTEST_SKIP() << "no /dev/full";
    CKWImageBuffer image;
    ASSERT_EQ(image.Create(300, 200), 1);
    EXPECT_EQ(image.WriteBmp(full), 0);
    EXPECT_EQ(m_boxes.Count(), 0u);
    // The first full buffer fails in the middle of compression.
    EXPECT_EQ(image.WriteJpeg(full), 0);
    close(full);
    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].request.caption, "JPEG Fatal Error");
    EXPECT_EQ(boxes[0].request.text, "Output file write error --- out of disk space?");
    EXPECT_EQ(boxes[1].request.text, "JPEG File Write Error");
}

// A library error ends the compression with 0 and frees what the library had taken (the leak
// check of the sanitizer build sees it otherwise); the program goes on.
TEST_F(CKWImageBufferTest, ALibraryErrorReturnsZeroAndTheProgramGoesOn) {
    const Bytes rgb = TestRgb(8, 8);
    const std::string path = m_dir / "big.jpg";
    for (int round = 0; round < 3; ++round)
        EXPECT_EQ(WriteFile(path + std::to_string(round),
                            [&](int file) {
                                return RGBToJpegFile(file, rgb.data(), 70000, 8,
                                                     KWJpegFile::kColourRgb, 75);
                            }),
                  0);
    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].request.caption, "JPEG Fatal Error");
    EXPECT_EQ(boxes[0].request.text, "Maximum supported image dimension is 65500 pixels");
    EXPECT_EQ(WriteFile(m_dir / "small.jpg",
                        [&](int file) {
                            return RGBToJpegFile(file, rgb.data(), 8, 8, KWJpegFile::kColourRgb,
                                                 75);
                        }),
              1);
}

namespace {
// Reads the bytes as a BMP file through ReadBmp.
int ReadBmpBytes(const KWTempDir& dir, const Bytes& bytes, CKWImageBuffer& image) {
    const std::string path = dir / "read.bmp";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const int result = image.ReadBmp(file);
    close(file);
    return result;
}

Bytes BmpOf(const CKWImageBuffer& image) {
    Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    bmp.insert(bmp.end(), image.GetBitmap(), image.GetBitmap() + 40 + image.GetImageBytes());
    return bmp;
}

void Put32At(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
} // namespace

// What WriteBmp writes reads back as the same bitmap; a top-down file (negative height) gives
// the same picture, and rows may start after a gap.
TEST_F(CKWImageBufferTest, ReadBmpGivesBackWhatWasWrittenEitherWayUp) {
    CKWImageBuffer image;
    ASSERT_EQ(image.Create(5, 3), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.SetPixel(x, y, static_cast<std::uint8_t>(50 * x), static_cast<std::uint8_t>(y),
                           static_cast<std::uint8_t>(x + y));
    const Bytes held(image.GetBitmap(), image.GetBitmap() + 40 + image.GetImageBytes());
    const std::string path = m_dir / "picture.bmp";
    ASSERT_EQ(WriteFile(path, [&](int file) { return image.WriteBmp(file); }), 1);
    CKWImageBuffer read;
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(read.ReadBmp(file), 1);
    close(file);
    EXPECT_EQ(Bytes(read.GetBitmap(), read.GetBitmap() + 40 + read.GetImageBytes()), held);

    // Top-down: the rows in the other order, after a 4-byte gap.
    const Bytes bmp = BmpOf(image);
    Bytes topDown(bmp.begin(), bmp.begin() + 54);
    Put32At(topDown, 10, 58);
    Put32At(topDown, 22, static_cast<std::uint32_t>(-3));
    topDown.insert(topDown.end(), 4, 0xEE);
    for (int row = 2; row >= 0; --row)
        topDown.insert(topDown.end(), held.begin() + 40 + row * 16,
                       held.begin() + 40 + row * 16 + 16);
    CKWImageBuffer flipped;
    ASSERT_EQ(ReadBmpBytes(m_dir, topDown, flipped), 1);
    EXPECT_EQ(Bytes(flipped.GetBitmap() + 40, flipped.GetBitmap() + 40 + 48),
              Bytes(held.begin() + 40, held.end()));
}

// Anything but an uncompressed 24-bit BMP file, a file cut short and damaged headers are
// refused with an empty buffer and never read outside the buffers (run under the sanitizers);
// a header that claims a huge picture is refused without taking memory for it.
TEST_F(CKWImageBufferTest, ReadBmpRefusesOtherAndDamagedFiles) {
    CKWImageBuffer image;
    ASSERT_EQ(image.Create(7, 4), 1);
    const Bytes good = BmpOf(image);
    CKWImageBuffer read;
    auto refused = [&](const Bytes& bytes) {
        const int result = ReadBmpBytes(m_dir, bytes, read);
        return result == 0 && read.IsEmpty();
    };
    Bytes changed = good;
    changed[0] = 'X';
    EXPECT_TRUE(refused(changed)) << "not BM";
    changed = good;
    changed[28] = 32;
    EXPECT_TRUE(refused(changed)) << "32 bits per pixel";
    changed = good;
    changed[30] = 1;
    EXPECT_TRUE(refused(changed)) << "compressed";
    changed = good;
    Put32At(changed, 10, 20);
    EXPECT_TRUE(refused(changed)) << "rows inside the headers";
    changed = good;
    Put32At(changed, 14, 0xFFFFFFF0u);
    EXPECT_TRUE(refused(changed)) << "an information header too large";
    EXPECT_TRUE(refused(Bytes(good.begin(), good.end() - 1))) << "cut short";
    EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 30))) << "headers cut short";
    changed = good;
    Put32At(changed, 18, 30000);
    Put32At(changed, 22, 30000);
    EXPECT_TRUE(refused(changed)) << "2.7 GB of rows promised";

    std::mt19937 random(7);
    for (int trial = 0; trial < 300; ++trial) {
        Bytes damaged = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[random() % 54] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        if (ReadBmpBytes(m_dir, damaged, read) == 1) {
            EXPECT_LE(static_cast<std::size_t>(read.GetImageBytes()) + 54, damaged.size());
        }
    }
}
