#include "KWDisplayDevice.h"

#include "KWDisplayClipper.h"
#include "KWDisplaySurface.h"

#include <algorithm>

std::shared_ptr<KWDisplayDevice> KWDisplayDevice::Create() {
    const KWDisplayDriverSettings settings = KWGetDisplayDriverSettings();
    if (!settings.present)
        return nullptr;
    return std::shared_ptr<KWDisplayDevice>(new KWDisplayDevice(settings));
}

KWDisplayResult KWDisplayDevice::GetCapabilities(KWDisplayCapabilities* hardware,
                                                 KWDisplayCapabilities* emulation) const {
    if ((hardware && !m_settings.hardwareCapsReadable) ||
        (emulation && !m_settings.emulationCapsReadable))
        return KWDisplayResult::kInvalid;
    if (hardware)
        *hardware = m_settings.hardware;
    if (emulation)
        *emulation = m_settings.emulation;
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplayDevice::SetCooperativeLevel(KWDisplayWindow* window, bool exclusive) {
    if (!window && exclusive)
        return KWDisplayResult::kInvalid;
    std::lock_guard lock(m_mutex);
    m_window = window;
    m_cooperative = true;
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplayDevice::GetDisplayMode(KWDisplayMode& mode) const {
    mode = KWDisplayMode{m_settings.displayWidth, m_settings.displayHeight,
                         KWFormatOfLayout(m_settings.displayLayout)};
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplayDevice::CreatePrimarySurface(std::shared_ptr<KWDisplaySurface>& surface) {
    surface.reset();
    KWDisplayMode mode;
    GetDisplayMode(mode);
    std::lock_guard lock(m_mutex);
    if (!m_cooperative)
        return KWDisplayResult::kInvalid;
    surface = KWDisplaySurface::CreatePrimary(mode, m_window);
    if (!surface)
        return KWDisplayResult::kInvalid;
    m_surfaces.push_back(surface);
    return KWDisplayResult::kOk;
}

KWDisplayResult
KWDisplayDevice::CreateOffscreenSurface(std::int32_t width, std::int32_t height,
                                        const KWPixelFormat& format,
                                        std::shared_ptr<KWDisplaySurface>& surface) {
    surface.reset();
    KWPixelLayout layout;
    if (!KWLayoutFromFormat(format, layout) ||
        (m_settings.offscreenLayouts & KWLayoutBit(layout)) == 0)
        return KWDisplayResult::kUnsupported;
    if (width <= 0 || height <= 0)
        return KWDisplayResult::kInvalid;
    surface = KWDisplaySurface::CreateOffscreen(layout, width, height, m_settings.pitchPadding);
    if (!surface)
        return KWDisplayResult::kNoMemory;
    std::lock_guard lock(m_mutex);
    std::erase_if(m_surfaces, [](const auto& weak) { return weak.expired(); });
    m_surfaces.push_back(surface);
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplayDevice::CreateClipper(std::shared_ptr<KWDisplayClipper>& clipper) {
    clipper = std::make_shared<KWDisplayClipper>();
    return KWDisplayResult::kOk;
}

void KWDisplayDevice::LoseSurfaces() {
    std::lock_guard lock(m_mutex);
    for (const auto& weak : m_surfaces) {
        if (auto surface = weak.lock())
            surface->MarkLost();
    }
}
