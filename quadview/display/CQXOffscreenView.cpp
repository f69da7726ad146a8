#include "CQXOffscreenView.h"

#include "CKWImageBuffer.h"
#include "CQXVideoFrame.h"
#include "KWReplaceFile.h"
#include "KWTick.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

CQXOffscreenView::CQXOffscreenView(std::int32_t width, std::int32_t height)
    : m_window(width, height) {}

CQXOffscreenView::~CQXOffscreenView() {
    m_manager.Destroy();
}

int CQXOffscreenView::Open() {
    return m_manager.Create(&m_window, nullptr, &m_displayRequest);
}

int CQXOffscreenView::Show(CQXVideoFrame& frame) {
    m_manager.SubmitFrame(&frame);
    const std::uint32_t start = KWGetTickCount();
    while (frame.IsComplete()) {
        if (KWGetTickCount() - start > static_cast<std::uint32_t>(kFrameTimeoutMs)) {
            // The frame belongs to the caller, who may free it on this failure: the screen
            // manager stops and lets go of it first, so that no thread draws from freed memory.
            m_manager.Destroy();
            return 0;
        }
        KWSleep(1);
    }
    return 1;
}

int CQXOffscreenView::WriteBmp(const std::string& path) const {
    CKWImageBuffer image;
    {
        auto lock = m_window.LockFrameBuffer();
        const KWPixelBuffer& buffer = m_window.GetFrameBuffer();
        if (buffer.IsEmpty() || !image.Create(buffer.GetWidth(), buffer.GetHeight()))
            return 0;
        std::vector<std::uint32_t> row(static_cast<std::size_t>(buffer.GetWidth()));
        for (std::int32_t y = 0; y < buffer.GetHeight(); ++y) {
            buffer.ReadRow(y, 0, buffer.GetWidth(), row.data());
            for (std::int32_t x = 0; x < buffer.GetWidth(); ++x) {
                const std::uint32_t rgb = row[static_cast<std::size_t>(x)];
                image.SetPixel(x, y, static_cast<std::uint8_t>(rgb >> 16),
                               static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
            }
        }
    }
    // Written beside the path and put in place whole: a failure (a full disk) leaves no
    // partial or empty picture behind, and whatever was at the path stays.
    std::string temporary;
    const int file = KWCreateFileBeside(path, temporary);
    if (file < 0)
        return 0;
    const bool written = image.WriteBmp(file) != 0;
    if (close(file) == 0 && written && std::rename(temporary.c_str(), path.c_str()) == 0)
        return 1;
    std::remove(temporary.c_str());
    return 0;
}
