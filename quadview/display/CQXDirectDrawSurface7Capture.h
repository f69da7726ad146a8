#pragma once
#include "CKWDirectDrawSurface7Memory.h"
#include "CQXDirectDrawSurface7Information.h"

#include <ctime>
#include <mutex>
#include <string>

class CKWImageBuffer;

// The canvas that screen captures read the view back into: view width x (view height + 20),
// the 20 lines for a caption above the view. A capture reads the primary surface's view, copies
// the canvas into an image buffer and writes it as a JPEG or BMP file into a file the caller
// opened, which it closes. Captures run on the thread that creates and releases the surface.
class CQXDirectDrawSurface7Capture : public CKWDirectDrawSurface7Memory {
public:
    static constexpr int kCaptionHeight = 20;
    static constexpr std::uint32_t kCaptionColor = 0x808080;
    // Image formats: 1 JPEG; anything else is BMP.
    static constexpr int kImageBmp = 0;
    static constexpr int kImageJpeg = 1;

    // `viewMutex` is held while the view is composed onto the primary surface; a capture holds
    // it while reading the view back, so that it never takes a half-composed picture.
    explicit CQXDirectDrawSurface7Capture(std::mutex& viewMutex);

    // The view below a caption with the capture time and the file name, written as JPEG
    // (format 1) or BMP. `file` -1 (no file) is reported as "NULL File Handle". 1 when the
    // whole image was written and the file closed.
    int CaptureToFile(int file, const std::string& fileName, int format);
    // The view from the top without a caption (the last 20 lines stay black), always BMP.
    int CaptureFrameToFile(int file);
    // The same picture into `image` instead of a file. 1/0.
    int CaptureFrameToImage(CKWImageBuffer& image);

    // "QX Screen Capture [Captured at YYYYMMDDhhmm]" of a local time.
    static std::string CaptionText(const std::tm& localTime);

    const KWFontSpec& GetFont() const { return m_font; }

private:
    int Capture(int file, const std::string& fileName, int format, bool captioned);
    // Reads the view back into the canvas (below the caption, when captioned) and copies the
    // canvas into `image`; 0 after a report when it cannot.
    int TakeView(CKWImageBuffer& image, const std::string& fileName, bool captioned);
    void DrawCaption(const std::string& fileName);
    // Copies the canvas into the image buffer; 0 after a report when it cannot.
    int ReadCanvas(CKWImageBuffer& image);

    std::mutex& m_viewMutex;
    KWFontSpec m_font = kQXCaptionFont;
};
