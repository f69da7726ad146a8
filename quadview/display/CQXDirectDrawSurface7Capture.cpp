#include "CQXDirectDrawSurface7Capture.h"

#include "CKWDirectDrawSurface7Primary.h"
#include "CKWImageBuffer.h"
#include "KWDisplaySurface.h"
#include "KWErrorReport.h"

#include <cstdio>
#include <unistd.h>

namespace {
const char* const kNoFileMessage = "NULL File Handle";
const char* const kColorModeMessage = "Incompatible Color Mode";
const char* const kLockMessage = "Surface Lock Failed";
const char* const kFileNamePrefix = "File Name: ";

struct Rgb {
    std::uint8_t red, green, blue;
};

// A 16-bit pixel's five- and six-bit fields times 8 and 4: white becomes (248, 252, 248).
Rgb Expand565(const std::uint8_t* pixel, bool redHigh) {
    const unsigned p = pixel[0] | pixel[1] << 8;
    const auto high = static_cast<std::uint8_t>((p >> 11) * 8);
    const auto green = static_cast<std::uint8_t>(((p >> 5) & 63) * 4);
    const auto low = static_cast<std::uint8_t>((p & 31) * 8);
    return redHigh ? Rgb{high, green, low} : Rgb{low, green, high};
}

// Pixel x of a row of the canvas in one of the four RGB formats.
Rgb ReadPixel(const std::uint8_t* row, std::int32_t x, int format) {
    switch (format) {
    case CKWDirectDrawSurface7::kFormatRGB565:
        return Expand565(row + 2 * x, true);
    case CKWDirectDrawSurface7::kFormatBGR565:
        return Expand565(row + 2 * x, false);
    case CKWDirectDrawSurface7::kFormatRGB24:
        return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    default:
        return Rgb{row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    }
}

bool IsRgbFormat(int format) {
    return format >= CKWDirectDrawSurface7::kFormatRGB565 &&
           format <= CKWDirectDrawSurface7::kFormatRGB32;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}
} // namespace

CQXDirectDrawSurface7Capture::CQXDirectDrawSurface7Capture(std::mutex& viewMutex)
    : m_viewMutex(viewMutex) {
    m_className = "CQXDirectDrawSurface7Capture";
    m_kind = kKindCapture;
}

std::string CQXDirectDrawSurface7Capture::CaptionText(const std::tm& localTime) {
    char text[64];
    std::snprintf(text, sizeof text, "QX Screen Capture [Captured at %04d%02d%02d%02d%02d]",
                  localTime.tm_year + 1900, localTime.tm_mon + 1, localTime.tm_mday,
                  localTime.tm_hour, localTime.tm_min);
    return text;
}

int CQXDirectDrawSurface7Capture::CaptureToFile(int file, const std::string& fileName, int format) {
    return Capture(file, fileName, format, true);
}

int CQXDirectDrawSurface7Capture::CaptureFrameToFile(int file) {
    return Capture(file, std::string(), kImageBmp, false);
}

int CQXDirectDrawSurface7Capture::CaptureFrameToImage(CKWImageBuffer& image) {
    return TakeView(image, std::string(), false);
}

int CQXDirectDrawSurface7Capture::Capture(int file, const std::string& fileName, int format,
                                          bool captioned) {
    if (file < 0) {
        ReportFatalError(m_className, kNoFileMessage);
        return 0;
    }
    CKWImageBuffer image;
    int result = 0;
    if (TakeView(image, fileName, captioned))
        result = format == kImageJpeg && captioned ? image.WriteJpeg(file) : image.WriteBmp(file);
    // A file that cannot be completed on disk is not written either.
    if (close(file) != 0)
        result = 0;
    return result;
}

int CQXDirectDrawSurface7Capture::TakeView(CKWImageBuffer& image, const std::string& fileName,
                                           bool captioned) {
    // A surface lost since the last capture comes back (cleared) before it is drawn into.
    if (m_surface && m_surface->IsLost() == KWDisplayResult::kLost)
        m_surface->Restore();
    Clear();
    if (m_surface && m_primary && m_primary->GetSurface()) {
        const auto width = static_cast<std::int32_t>(m_width);
        const std::int32_t viewHeight = static_cast<std::int32_t>(m_height) - kCaptionHeight;
        const KWPoint origin = m_primary->GetClientOrigin();
        const KWRect view = KWRect{0, 0, width, viewHeight}.Offset(origin.x, origin.y);
        const KWRect target{0, captioned ? kCaptionHeight : 0, width,
                            viewHeight + (captioned ? kCaptionHeight : 0)};
        std::lock_guard lock(m_viewMutex);
        m_surface->Blit(&target, *m_primary->GetSurface(), &view);
    }
    if (!IsRgbFormat(m_format)) {
        ReportFatalError(m_className, kColorModeMessage);
        return 0;
    }
    if (captioned)
        DrawCaption(fileName);
    return ReadCanvas(image);
}

void CQXDirectDrawSurface7Capture::DrawCaption(const std::string& fileName) {
    KWDeviceContext dc(*m_surface);
    if (!dc.IsValid())
        return;
    dc.SetFont(m_font);
    dc.SetTextColor(kCaptionColor);
    dc.TextOut(0, 0, CaptionText(LocalTimeNow()));
    const std::string text = kFileNamePrefix + fileName;
    // Right-aligned so that the text ends one pixel before the right edge.
    const int right = static_cast<int>(m_width) - 1;
    dc.TextOut(right - dc.GetTextExtent(text).width, 0, text);
}

int CQXDirectDrawSurface7Capture::ReadCanvas(CKWImageBuffer& image) {
    KWLockedSurface locked;
    if (!LockSurface(locked)) {
        ReportFatalError(m_className, kLockMessage);
        return 0;
    }
    const int created = image.Create(locked.width, locked.height);
    for (std::int32_t y = 0; created && y < locked.height; ++y) {
        const std::uint8_t* row = locked.bits + static_cast<std::ptrdiff_t>(y) * locked.pitch;
        for (std::int32_t x = 0; x < locked.width; ++x) {
            const Rgb c = ReadPixel(row, x, m_format);
            image.SetPixel(x, y, c.red, c.green, c.blue);
        }
    }
    m_surface->Unlock();
    return created;
}
