#pragma once
#include "KWDisplayTypes.h"
#include "KWPixelBuffer.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class KWDisplayClipper;
class KWDisplayWindow;

// A surface's memory while it is locked.
struct KWLockedSurface {
    std::uint8_t* bits = nullptr;
    std::int32_t pitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    KWPixelLayout layout = KWPixelLayout::kRGB32;
};

// One surface of the software display driver. An off-screen surface owns its memory. The
// primary surface stands for the whole display: it is addressed in screen coordinates, and what
// falls inside the client area of its clipper's window (or, without a clipper, of the window the
// device cooperates with) lands in that window's frame buffer; the rest of the screen is not
// kept. Blits, fills and locks from different threads are serialised; a surface locked by one
// thread makes the others' blits wait until it is unlocked.
class KWDisplaySurface {
public:
    static std::shared_ptr<KWDisplaySurface> CreateOffscreen(KWPixelLayout layout,
                                                             std::int32_t width,
                                                             std::int32_t height,
                                                             std::int32_t pitchPadding);
    static std::shared_ptr<KWDisplaySurface> CreatePrimary(const KWDisplayMode& mode,
                                                           KWDisplayWindow* window);
    KWDisplaySurface(const KWDisplaySurface&) = delete;
    KWDisplaySurface& operator=(const KWDisplaySurface&) = delete;

    bool IsPrimary() const { return m_primary; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    KWPixelLayout GetLayout() const { return m_layout; }
    KWDisplayResult GetPixelFormat(KWPixelFormat& format) const;

    KWDisplayResult SetClipper(std::shared_ptr<KWDisplayClipper> clipper);

    // Off-screen surfaces only. `wait` false gives kBusy while another lock holds the surface.
    [[nodiscard]] KWDisplayResult Lock(KWLockedSurface& locked, bool wait);
    KWDisplayResult Unlock();

    // Fills `rect` (the whole surface when null) with a raw pixel value of the surface's layout.
    KWDisplayResult ColorFill(const KWRect* rect, std::uint32_t value);
    // Stretches `srcRect` of `source` onto `dstRect` of this surface (whole surfaces when null),
    // filtering smoothly. Rectangles of the primary are in screen coordinates.
    KWDisplayResult Blit(const KWRect* dstRect, KWDisplaySurface& source, const KWRect* srcRect);

    // A lost surface refuses every operation with kLost until it is restored; restoring gives it
    // back its memory, cleared.
    KWDisplayResult IsLost() const;
    KWDisplayResult Restore();
    void MarkLost() { m_lost = true; }

private:
    struct Access;

    KWDisplaySurface() = default;
    void Acquire();
    bool TryAcquire();
    void ReleaseAccess();
    KWRect GetBounds() const { return KWRect{0, 0, m_width, m_height}; }
    KWDisplayWindow* TargetWindow() const;

    bool m_primary = false;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    KWPixelLayout m_layout = KWPixelLayout::kRGB32;
    KWPixelBuffer m_memory; // off-screen surfaces
    KWDisplayWindow* m_cooperativeWindow = nullptr;
    std::shared_ptr<KWDisplayClipper> m_clipper;
    mutable std::mutex m_stateMutex;
    std::atomic<bool> m_lost{false};

    std::mutex m_accessMutex;
    std::condition_variable m_accessReleased;
    bool m_busy = false;
};
