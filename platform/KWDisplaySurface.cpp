#include "KWDisplaySurface.h"

#include "KWDisplayClipper.h"
#include "KWDisplayWindow.h"

// What a surface's drawing reaches: a pixel buffer, the shift from surface to buffer
// coordinates, and the part of the buffer that may be written. A primary surface's access holds
// its window's frame buffer lock.
struct KWDisplaySurface::Access {
    KWPixelBuffer* buffer = nullptr;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    KWRect clip;
    KWDisplayWindow* window = nullptr;
    std::unique_lock<std::mutex> windowLock;

    static Access Resolve(KWDisplaySurface& surface) {
        Access access;
        if (!surface.m_primary) {
            access.buffer = &surface.m_memory;
            access.clip = surface.GetBounds();
            return access;
        }
        access.window = surface.TargetWindow();
        if (!access.window)
            return access;
        const KWPoint origin = access.window->GetClientOrigin();
        access.windowLock = access.window->LockFrameBuffer();
        access.buffer = &access.window->GetFrameBuffer();
        if (access.buffer->IsEmpty()) {
            access.buffer = nullptr;
            return access;
        }
        access.dx = -origin.x;
        access.dy = -origin.y;
        access.clip =
            access.buffer->GetBounds().Intersect(surface.GetBounds().Offset(access.dx, access.dy));
        return access;
    }
};

std::shared_ptr<KWDisplaySurface> KWDisplaySurface::CreateOffscreen(KWPixelLayout layout,
                                                                    std::int32_t width,
                                                                    std::int32_t height,
                                                                    std::int32_t pitchPadding) {
    std::shared_ptr<KWDisplaySurface> surface(new KWDisplaySurface);
    if (!surface->m_memory.Allocate(layout, width, height, pitchPadding))
        return nullptr;
    surface->m_width = width;
    surface->m_height = height;
    surface->m_layout = layout;
    return surface;
}

std::shared_ptr<KWDisplaySurface> KWDisplaySurface::CreatePrimary(const KWDisplayMode& mode,
                                                                  KWDisplayWindow* window) {
    KWPixelLayout layout;
    if (mode.width <= 0 || mode.height <= 0 || !KWLayoutFromFormat(mode.format, layout) ||
        layout == KWPixelLayout::kYV12)
        return nullptr;
    std::shared_ptr<KWDisplaySurface> surface(new KWDisplaySurface);
    surface->m_primary = true;
    surface->m_width = mode.width;
    surface->m_height = mode.height;
    surface->m_layout = layout;
    surface->m_cooperativeWindow = window;
    return surface;
}

KWDisplayResult KWDisplaySurface::GetPixelFormat(KWPixelFormat& format) const {
    if (m_lost)
        return KWDisplayResult::kLost;
    format = KWFormatOfLayout(m_layout);
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplaySurface::SetClipper(std::shared_ptr<KWDisplayClipper> clipper) {
    if (!m_primary)
        return KWDisplayResult::kUnsupported;
    std::lock_guard lock(m_stateMutex);
    m_clipper = std::move(clipper);
    return KWDisplayResult::kOk;
}

KWDisplayWindow* KWDisplaySurface::TargetWindow() const {
    std::lock_guard lock(m_stateMutex);
    KWDisplayWindow* clipped = m_clipper ? m_clipper->GetWindow() : nullptr;
    return clipped ? clipped : m_cooperativeWindow;
}

void KWDisplaySurface::Acquire() {
    std::unique_lock lock(m_accessMutex);
    m_accessReleased.wait(lock, [this] { return !m_busy; });
    m_busy = true;
}

bool KWDisplaySurface::TryAcquire() {
    std::lock_guard lock(m_accessMutex);
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void KWDisplaySurface::ReleaseAccess() {
    {
        std::lock_guard lock(m_accessMutex);
        m_busy = false;
    }
    m_accessReleased.notify_all();
}

KWDisplayResult KWDisplaySurface::Lock(KWLockedSurface& locked, bool wait) {
    locked = KWLockedSurface{};
    if (m_primary)
        return KWDisplayResult::kUnsupported;
    if (m_lost)
        return KWDisplayResult::kLost;
    if (wait)
        Acquire();
    else if (!TryAcquire())
        return KWDisplayResult::kBusy;
    locked = KWLockedSurface{m_memory.GetBits(), m_memory.GetPitch(), m_width, m_height, m_layout};
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplaySurface::Unlock() {
    {
        std::lock_guard lock(m_accessMutex);
        if (!m_busy || m_primary)
            return KWDisplayResult::kInvalid;
    }
    ReleaseAccess();
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplaySurface::ColorFill(const KWRect* rect, std::uint32_t value) {
    if (m_lost)
        return KWDisplayResult::kLost;
    const KWRect area = rect ? *rect : GetBounds();
    if (area.IsEmpty())
        return KWDisplayResult::kInvalid;
    KWDisplayWindow* changed = nullptr;
    KWRect filled;
    Acquire();
    {
        Access access = Access::Resolve(*this);
        if (access.buffer) {
            filled = area.Offset(access.dx, access.dy).Intersect(access.clip);
            access.buffer->Fill(filled, value);
        }
        changed = access.window;
    }
    ReleaseAccess();
    if (changed && !filled.IsEmpty())
        changed->OnFrameBufferChanged(filled);
    return KWDisplayResult::kOk;
}

KWDisplayResult KWDisplaySurface::Blit(const KWRect* dstRect, KWDisplaySurface& source,
                                       const KWRect* srcRect) {
    if (m_lost || source.m_lost)
        return KWDisplayResult::kLost;
    const KWRect dstArea = dstRect ? *dstRect : GetBounds();
    const KWRect srcArea = srcRect ? *srcRect : source.GetBounds();
    if (dstArea.IsEmpty() || srcArea.IsEmpty() || !source.GetBounds().Contains(srcArea))
        return KWDisplayResult::kInvalid;

    // Both surfaces are taken in one order, so two opposite blits cannot wait on each other.
    KWDisplaySurface* first = this < &source ? this : &source;
    KWDisplaySurface* second = this < &source ? &source : this;
    first->Acquire();
    if (second != first)
        second->Acquire();
    KWDisplayResult result = KWDisplayResult::kOk;
    KWDisplayWindow* changed = nullptr;
    KWRect written;
    {
        Access to = Access::Resolve(*this);
        Access fromStorage;
        Access* from = &to;
        const bool sameMemory = &source == this || (source.m_primary && m_primary &&
                                                    source.TargetWindow() == to.window);
        if (!sameMemory) {
            fromStorage = Access::Resolve(source);
            from = &fromStorage;
        }
        if (to.buffer && from->buffer) {
            const KWRect target = dstArea.Offset(to.dx, to.dy);
            result = KWStretchBlit(*to.buffer, target, to.clip, *from->buffer,
                                   srcArea.Offset(from->dx, from->dy));
            if (result == KWDisplayResult::kOk) {
                changed = to.window;
                written = target.Intersect(to.clip);
            }
        }
    }
    if (second != first)
        second->ReleaseAccess();
    first->ReleaseAccess();
    if (changed && !written.IsEmpty())
        changed->OnFrameBufferChanged(written);
    return result;
}

KWDisplayResult KWDisplaySurface::IsLost() const {
    return m_lost ? KWDisplayResult::kLost : KWDisplayResult::kOk;
}

KWDisplayResult KWDisplaySurface::Restore() {
    if (!m_lost)
        return KWDisplayResult::kOk;
    Acquire();
    m_memory.Clear();
    m_lost = false;
    ReleaseAccess();
    return KWDisplayResult::kOk;
}
