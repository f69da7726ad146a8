#include "KWDisplayWindow.h"

#include "KWDisplayDriver.h"

KWDisplayWindow::KWDisplayWindow(std::int32_t width, std::int32_t height) {
    SetClientSize(width, height);
}

KWSize KWDisplayWindow::GetClientSize() const {
    std::lock_guard lock(m_mutex);
    return m_size;
}

void KWDisplayWindow::SetClientSize(std::int32_t width, std::int32_t height) {
    const KWPixelLayout layout = KWGetDisplayDriverSettings().displayLayout;
    {
        std::lock_guard lock(m_mutex);
        if (m_size == KWSize{width, height} && m_frameBuffer.GetLayout() == layout &&
            !m_frameBuffer.IsEmpty())
            return;
        m_size = KWSize{width > 0 ? width : 0, height > 0 ? height : 0};
        ++m_bufferGeneration;
        if (!m_frameBuffer.Allocate(layout, m_size.width, m_size.height))
            m_size = KWSize{};
    }
    std::lock_guard lock(m_handlerMutex);
    if (m_bufferReplaced)
        m_bufferReplaced();
}

void KWDisplayWindow::SetBufferReplacedHandler(std::function<void()> handler) {
    std::lock_guard lock(m_handlerMutex);
    m_bufferReplaced = std::move(handler);
}

KWPoint KWDisplayWindow::GetClientOrigin() const {
    std::lock_guard lock(m_mutex);
    return m_origin;
}

void KWDisplayWindow::SetClientOrigin(KWPoint origin) {
    std::lock_guard lock(m_mutex);
    m_origin = origin;
}
