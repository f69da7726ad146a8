#include "CQXDirectDrawSurface7Conversion.h"

#include "CQXVideoFrame.h"
#include "KWDisplaySurface.h"
#include "KWErrorReport.h"
#include "QXPixelConversion.h"

#include <cstring>
#include <mutex>
#include <new>

namespace {
// The shared conversion buffer: allocated with the first conversion surface and freed with the
// last. Surfaces of different screen managers may convert at once, so it is used under a lock.
struct ScratchBuffer {
    std::mutex mutex;
    std::unique_ptr<std::uint8_t[]> bytes;
    int users = 0;
};

ScratchBuffer& Scratch() {
    static ScratchBuffer buffer;
    return buffer;
}
} // namespace

CQXDirectDrawSurface7Conversion::CQXDirectDrawSurface7Conversion() {
    m_className = "CQXDirectDrawSurface7Conversion";
    m_kind = kKindConversion;
    // Without its planes the decoder refuses every frame: the channel stays blank.
    if (!m_decoder.Initialize())
        ReportFatalError(m_className, "Memory Allocation Failed");
    ScratchBuffer& scratch = Scratch();
    std::lock_guard lock(scratch.mutex);
    if (scratch.users++ == 0)
        scratch.bytes.reset(new (std::nothrow) std::uint8_t[kScratchBytes]);
}

CQXDirectDrawSurface7Conversion::~CQXDirectDrawSurface7Conversion() {
    ScratchBuffer& scratch = Scratch();
    std::lock_guard lock(scratch.mutex);
    if (--scratch.users == 0)
        scratch.bytes.reset();
}

int CQXDirectDrawSurface7Conversion::Decode(const CQXVideoFrame* frame) {
    const std::uint8_t* const* planes =
        frame ? frame->DecodeWith(m_decoder) : m_decoder.Decode(frame);
    if (!planes)
        return 0;
    const int width = m_decoder.GetWidth();
    const int height = m_decoder.GetHeight();
    if (width <= 0 || height <= 0)
        return 0;
    if (static_cast<std::uint32_t>(width) != m_width ||
        static_cast<std::uint32_t>(height) != m_height || !m_surface) {
        const int format = m_format;
        CKWDirectDrawSurface7::Release();
        if (!CreateSurface(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                           format))
            return 0;
    }
    KWLockedSurface locked;
    if (!LockSurface(locked))
        return 0;
    const QXPixelConversion::Picture picture{planes[CQXVideoDecoder::kY],
                                             planes[CQXVideoDecoder::kU],
                                             planes[CQXVideoDecoder::kV], width, height};
    const auto format = static_cast<QXPixelConversion::Format>(m_format);
    int result = 1;
    if (format == QXPixelConversion::kYV12) {
        QXPixelConversion::Convert(picture, format, locked.bits, locked.pitch);
    } else {
        // Converted rows are packed in the shared buffer, then copied at the surface's pitch.
        ScratchBuffer& scratch = Scratch();
        std::lock_guard lock(scratch.mutex);
        const std::size_t row =
            static_cast<std::size_t>(width) * QXPixelConversion::BytesPerPixel(format);
        if (!scratch.bytes || row * static_cast<std::size_t>(height) > kScratchBytes) {
            result = 0;
        } else {
            QXPixelConversion::Convert(picture, format, scratch.bytes.get(), static_cast<int>(row));
            for (int y = 0; y < height; ++y)
                std::memcpy(locked.bits + static_cast<std::size_t>(y) * locked.pitch,
                            scratch.bytes.get() + y * row, row);
        }
    }
    m_surface->Unlock();
    if (result)
        m_hasPicture = true;
    return result;
}

std::string CQXDirectDrawSurface7Conversion::GetDescription() const {
    return CKWDirectDrawSurface7::GetDescription() + " - " + (m_hasPicture ? "" : "Not ") +
           "Loaded";
}
