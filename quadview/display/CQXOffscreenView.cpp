#include "CQXOffscreenView.h"

#include "CQXVideoFrame.h"
#include "KWTick.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
} // namespace

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
        if (KWGetTickCount() - start > static_cast<std::uint32_t>(kFrameTimeoutMs))
            return 0;
        KWSleep(1);
    }
    return 1;
}

int CQXOffscreenView::WriteBmp(const std::string& path) const {
    std::vector<std::uint8_t> file;
    {
        auto lock = m_window.LockFrameBuffer();
        const KWPixelBuffer& buffer = m_window.GetFrameBuffer();
        if (buffer.IsEmpty())
            return 0;
        const auto width = static_cast<std::uint32_t>(buffer.GetWidth());
        const auto height = static_cast<std::uint32_t>(buffer.GetHeight());
        const std::uint32_t rowBytes = ((24 * width + 31) >> 5) * 4;
        const std::uint32_t imageBytes = rowBytes * height;
        file.reserve(kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
        file.push_back('B');
        file.push_back('M');
        Put32(file, kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
        Put32(file, 0);
        Put32(file, kFileHeaderBytes + kInfoHeaderBytes);
        Put32(file, kInfoHeaderBytes);
        Put32(file, width);
        Put32(file, height);
        Put16(file, 1);
        Put16(file, 24);
        for (int field = 0; field < 6; ++field)
            Put32(file, field == 1 ? imageBytes : 0);
        std::vector<std::uint32_t> row(width);
        for (std::uint32_t y = height; y-- > 0;) {
            buffer.ReadRow(static_cast<std::int32_t>(y), 0, static_cast<std::int32_t>(width),
                           row.data());
            for (std::uint32_t rgb : row) {
                file.push_back(static_cast<std::uint8_t>(rgb));
                file.push_back(static_cast<std::uint8_t>(rgb >> 8));
                file.push_back(static_cast<std::uint8_t>(rgb >> 16));
            }
            file.resize(file.size() + rowBytes - 3 * width, 0);
        }
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"),
                                                        &std::fclose);
    if (!out)
        return 0;
    const bool written = std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
    return std::fclose(out.release()) == 0 && written ? 1 : 0;
}
