#include "CKWDirectDrawSurface7Primary.h"

#include "KWDisplayClipper.h"
#include "KWDisplayDevice.h"
#include "KWDisplaySurface.h"
#include "KWDisplayWindow.h"
#include "KWErrorReport.h"
#include "KWMessageBox.h"

#include <cstdio>

namespace {
// A capability the program cannot run without, and the report that ends it when missing.
struct RequiredCapability {
    std::uint32_t bit;
    const char* message;
};
const char* const kNoOverlayCaption = "NO Overlay Support";
constexpr RequiredCapability kRequiredCapabilities[] = {
    {KWDisplayCaps::kOverlay, "Your graphic device does not support overlay."},
    {KWDisplayCaps::kColorKey, "Your graphic device does not support color keying."},
    {KWDisplayCaps::kOverlayStretch, "Your graphic device does not support overlay stretch."},
};
const char* const kNoDisplayCaption = "NO DirectX";
const char* const kNoDisplayMessage = "Application could not find DirectX.\r\n"
                                      "Please, install DirectX 7.0 or later\r\n"
                                      "and try again.";
const char* const kCapsCaption = "DirectDraw Error";
const char* const kHardwareCapsMessage = "Failed to get graphic device parameters.[HAL]";
const char* const kEmulationCapsMessage = "Failed to get graphic device parameters.[HEL]";

bool Ok(KWDisplayResult result) {
    return result == KWDisplayResult::kOk;
}
} // namespace

CKWDirectDrawSurface7Primary::CKWDirectDrawSurface7Primary() {
    m_className = "CKWDirectDrawSurface7Primary";
    m_kind = kKindPrimary;
    CheckCapabilities();
}

CKWDirectDrawSurface7Primary::~CKWDirectDrawSurface7Primary() {
    Release();
    m_device.reset();
    m_hardwareCaps.reset();
    m_emulationCaps.reset();
}

void CKWDirectDrawSurface7Primary::CheckCapabilities() {
    m_device = KWDisplayDevice::Create();
    if (!m_device)
        ReportFatalErrorAndExit(kNoDisplayCaption, m_className, kNoDisplayMessage);
    auto fail = [this](const char* caption, const char* message) {
        m_hardwareCaps.reset();
        m_emulationCaps.reset();
        m_device.reset();
        ReportFatalErrorAndExit(caption, m_className, message);
    };
    m_hardwareCaps = std::make_unique<KWDisplayCapabilities>();
    m_emulationCaps = std::make_unique<KWDisplayCapabilities>();
    if (!Ok(m_device->GetCapabilities(m_hardwareCaps.get(), nullptr)))
        fail(kCapsCaption, kHardwareCapsMessage);
    if (!Ok(m_device->GetCapabilities(nullptr, m_emulationCaps.get())))
        fail(kCapsCaption, kEmulationCapsMessage);
    for (const auto& required : kRequiredCapabilities) {
        if ((m_hardwareCaps->caps & required.bit) == 0)
            fail(kNoOverlayCaption, required.message);
    }
}

int CKWDirectDrawSurface7Primary::Fail(const char* message) {
    KWMessageBox(m_className + "\r\n" + message, "", KWMessageBoxFlags::kOk);
    Release();
    return 0;
}

int CKWDirectDrawSurface7Primary::Create(KWDisplayWindow* window, int screenType) {
    Release();
    if (!m_device)
        return 0;
    if (screenType != kScreenExclusive && screenType != kScreenWindowed)
        return Fail("Invalid screen type");
    if (!Ok(m_device->SetCooperativeLevel(window, screenType == kScreenExclusive)))
        return Fail("set cooperative level failed");
    m_screenType = screenType;
    if (!Ok(m_device->CreatePrimarySurface(m_surface)))
        return Fail("primary surface creation fail.");
    KWDisplayMode mode;
    if (!Ok(m_device->GetDisplayMode(mode)))
        return Fail("Get display mode fail");
    m_width = static_cast<std::uint32_t>(mode.width);
    m_height = static_cast<std::uint32_t>(mode.height);
    if (screenType == kScreenWindowed) {
        if (!Ok(m_device->CreateClipper(m_clipper)))
            return Fail("Create clipper fail");
        if (!Ok(m_clipper->SetWindow(window)))
            return Fail("set clipper HWND fail");
        if (!Ok(m_surface->SetClipper(m_clipper)))
            return Fail("set clipper fail");
        m_window = window;
        const KWSize client = window->GetClientSize();
        m_viewWidth = static_cast<std::uint32_t>(client.width);
        m_viewHeight = static_cast<std::uint32_t>(client.height);
    } else {
        m_viewWidth = m_width;
        m_viewHeight = m_height;
    }
    KWPixelFormat format;
    if (!Ok(m_surface->GetPixelFormat(format)))
        return Fail("get pixel format failed");
    if (format.flags & KWPixelFormatFlags::kRGB) {
        if (format.redMask == 0x1F)
            m_format = kFormatBGR565;
        else if (format.redMask == 0xF800)
            m_format = kFormatRGB565;
        else if (format.redMask == 0xFF0000)
            m_format = format.bitCount == 24 ? kFormatRGB24 : kFormatRGB32;
    }
    return 1;
}

void CKWDirectDrawSurface7Primary::Release() {
    CKWDirectDrawSurface7::Release();
    m_clipper.reset();
    m_window = nullptr;
    m_viewWidth = 0;
    m_viewHeight = 0;
}

KWPoint CKWDirectDrawSurface7Primary::GetClientOrigin() const {
    return m_window ? m_window->GetClientOrigin() : KWPoint{};
}

int CKWDirectDrawSurface7Primary::Blit(const KWRect& destination, CKWDirectDrawSurface7& source,
                                       const KWRect& sourceRect) {
    KWDisplaySurface* from = source.GetSurface();
    if (!m_surface || !from)
        return 0;
    KWRect target = destination;
    if (m_screenType == kScreenWindowed) {
        const KWPoint origin = GetClientOrigin();
        target = destination.Offset(origin.x, origin.y);
    }
    const KWDisplayResult result = m_surface->Blit(&target, *from, &sourceRect);
    if (Ok(result))
        return 1;
    if (result == KWDisplayResult::kLost) {
        // The contents come back with the next picture; this one is lost.
        if (m_surface->IsLost() == KWDisplayResult::kLost) {
            m_surface->Restore();
            m_surface->Blit(&target, *from, &sourceRect);
        }
        if (from->IsLost() == KWDisplayResult::kLost)
            from->Restore();
    }
    return 0;
}

int CKWDirectDrawSurface7Primary::BlitSurface(const KWRect& destination,
                                              CKWDirectDrawSurface7& source) {
    return Blit(destination, source, source.GetBounds());
}

int CKWDirectDrawSurface7Primary::BlitToView(CKWDirectDrawSurface7& source) {
    const bool windowed = m_screenType == kScreenWindowed;
    const KWRect view{0, 0, static_cast<std::int32_t>(windowed ? m_viewWidth : m_width),
                      static_cast<std::int32_t>(windowed ? m_viewHeight : m_height)};
    return BlitSurface(view, source);
}

std::string CKWDirectDrawSurface7Primary::GetDescription() const {
    char view[40];
    std::snprintf(view, sizeof view, " [%ux%u]", m_viewWidth, m_viewHeight);
    return CKWDirectDrawSurface7::GetDescription() + view;
}
