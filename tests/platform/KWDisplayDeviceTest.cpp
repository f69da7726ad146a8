#include "KWDisplayDevice.h"
#include "KWDisplayClipper.h"
#include "KWDisplayDriverOverride.h"
#include "KWDisplaySurface.h"
#include "KWDisplayWindow.h"
#include "KWFramePixel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::shared_ptr<KWDisplaySurface> Offscreen(KWDisplayDevice& device, KWPixelLayout layout,
                                            int width, int height) {
    std::shared_ptr<KWDisplaySurface> surface;
    EXPECT_EQ(device.CreateOffscreenSurface(width, height, KWFormatOfLayout(layout), surface),
              KWDisplayResult::kOk);
    return surface;
}

class CountingWindow : public KWDisplayWindow {
public:
    using KWDisplayWindow::KWDisplayWindow;
    void OnFrameBufferChanged(const KWRect& area) override {
        ++changes;
        lastArea = area;
    }
    std::atomic<int> changes{0};
    KWRect lastArea;
};
} // namespace

TEST(KWDisplayDevice, ReportsWhatTheDriverSettingsSay) {
    KWDisplayDriverSettings settings;
    settings.hardware.caps = KWDisplayCaps::kBlit;
    settings.emulationCapsReadable = false;
    settings.displayWidth = 800;
    settings.displayHeight = 600;
    settings.displayLayout = KWPixelLayout::kRGB565;
    KWDisplayDriverOverride driver(settings);
    auto device = KWDisplayDevice::Create();
    ASSERT_TRUE(device);
    KWDisplayCapabilities hardware, emulation;
    EXPECT_EQ(device->GetCapabilities(&hardware, nullptr), KWDisplayResult::kOk);
    EXPECT_EQ(hardware.caps, KWDisplayCaps::kBlit);
    EXPECT_NE(device->GetCapabilities(nullptr, &emulation), KWDisplayResult::kOk);
    KWDisplayMode mode;
    ASSERT_EQ(device->GetDisplayMode(mode), KWDisplayResult::kOk);
    EXPECT_EQ(mode.width, 800);
    EXPECT_EQ(mode.format.redMask, 0xF800u);

    settings.present = false;
    KWDisplayDriverOverride none(settings);
    EXPECT_FALSE(KWDisplayDevice::Create());
}

TEST(KWDisplayDevice, RefusedLayoutsAreUnsupportedForOffscreenSurfaces) {
    KWDisplayDriverSettings settings;
    settings.offscreenLayouts = kAllPixelLayouts & ~KWLayoutBit(KWPixelLayout::kYV12);
    settings.pitchPadding = 20;
    KWDisplayDriverOverride driver(settings);
    auto device = KWDisplayDevice::Create();
    std::shared_ptr<KWDisplaySurface> surface;
    EXPECT_EQ(
        device->CreateOffscreenSurface(32, 32, KWFormatOfLayout(KWPixelLayout::kYV12), surface),
        KWDisplayResult::kUnsupported);
    EXPECT_FALSE(surface);
    surface = Offscreen(*device, KWPixelLayout::kRGB565, 32, 32);
    ASSERT_TRUE(surface);
    KWLockedSurface locked;
    ASSERT_EQ(surface->Lock(locked, true), KWDisplayResult::kOk);
    EXPECT_EQ(locked.pitch, 96); // 64 bytes of pixels and 20 of padding, aligned
    surface->Unlock();
}

TEST(KWDisplaySurface, PrimaryBlitsLandInTheClipperWindowAtItsOrigin) {
    auto device = KWDisplayDevice::Create();
    CountingWindow window(40, 30);
    window.SetClientOrigin({100, 50});
    ASSERT_EQ(device->SetCooperativeLevel(&window, false), KWDisplayResult::kOk);
    std::shared_ptr<KWDisplaySurface> primary;
    ASSERT_EQ(device->CreatePrimarySurface(primary), KWDisplayResult::kOk);
    std::shared_ptr<KWDisplayClipper> clipper;
    device->CreateClipper(clipper);
    EXPECT_EQ(clipper->SetWindow(nullptr), KWDisplayResult::kInvalid);
    ASSERT_EQ(clipper->SetWindow(&window), KWDisplayResult::kOk);
    ASSERT_EQ(primary->SetClipper(clipper), KWDisplayResult::kOk);

    auto red = Offscreen(*device, KWPixelLayout::kRGB565, 8, 8);
    ASSERT_EQ(red->ColorFill(nullptr, 0xF800), KWDisplayResult::kOk);
    // Screen rectangle (130, 70)-(150, 90) covers client (30, 20)-(50, 40): clipped at 40 x 30.
    const KWRect screen{130, 70, 150, 90};
    ASSERT_EQ(primary->Blit(&screen, *red, nullptr), KWDisplayResult::kOk);
    EXPECT_EQ(FramePixel(window, 30, 20), 0xFF0000u);
    EXPECT_EQ(FramePixel(window, 39, 29), 0xFF0000u);
    EXPECT_EQ(FramePixel(window, 29, 20), 0u);
    EXPECT_EQ(FramePixel(window, 30, 19), 0u);
    EXPECT_EQ(window.changes, 1);
    EXPECT_EQ(window.lastArea, (KWRect{30, 20, 40, 30})) << "the written part, in client pixels";
    const KWRect offClient{0, 0, 20, 20};
    ASSERT_EQ(primary->Blit(&offClient, *red, nullptr), KWDisplayResult::kOk);
    EXPECT_EQ(window.changes, 1) << "nothing of the client area written, nothing to repaint";

    // Reading the primary back (screen capture) takes the same coordinates.
    auto copy = Offscreen(*device, KWPixelLayout::kRGB32, 10, 10);
    const KWRect source{130, 70, 140, 80};
    ASSERT_EQ(copy->Blit(nullptr, *primary, &source), KWDisplayResult::kOk);
    KWLockedSurface locked;
    ASSERT_EQ(copy->Lock(locked, true), KWDisplayResult::kOk);
    EXPECT_EQ(locked.bits[2], 0xFF);
    copy->Unlock();
}

TEST(KWDisplaySurface, ABlitWaitsWhileItsSourceIsLocked) {
    auto device = KWDisplayDevice::Create();
    auto source = Offscreen(*device, KWPixelLayout::kRGB32, 4, 4);
    auto target = Offscreen(*device, KWPixelLayout::kRGB32, 4, 4);
    KWLockedSurface locked;
    ASSERT_EQ(source->Lock(locked, true), KWDisplayResult::kOk);
    KWLockedSurface second;
    EXPECT_EQ(source->Lock(second, false), KWDisplayResult::kBusy);

    std::atomic<bool> done{false};
    std::thread blitter([&] {
        EXPECT_EQ(target->Blit(nullptr, *source, nullptr), KWDisplayResult::kOk);
        done = true;
    });
    // The locker writes a pixel and unlocks; the blit must see the finished pixel.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(done);
    locked.bits[0] = 0x77;
    source->Unlock();
    blitter.join();
    ASSERT_EQ(target->Lock(locked, true), KWDisplayResult::kOk);
    EXPECT_EQ(locked.bits[0], 0x77);
    target->Unlock();
    EXPECT_EQ(target->Unlock(), KWDisplayResult::kInvalid);
}

TEST(KWDisplaySurface, LostSurfacesRefuseUntilRestoredAndComeBackCleared) {
    auto device = KWDisplayDevice::Create();
    auto source = Offscreen(*device, KWPixelLayout::kRGB24, 4, 4);
    auto target = Offscreen(*device, KWPixelLayout::kRGB24, 4, 4);
    source->ColorFill(nullptr, 0x123456);
    device->LoseSurfaces();
    EXPECT_EQ(source->IsLost(), KWDisplayResult::kLost);
    KWLockedSurface locked;
    EXPECT_EQ(source->Lock(locked, true), KWDisplayResult::kLost);
    EXPECT_EQ(target->Blit(nullptr, *source, nullptr), KWDisplayResult::kLost);
    EXPECT_EQ(source->ColorFill(nullptr, 0), KWDisplayResult::kLost);
    ASSERT_EQ(source->Restore(), KWDisplayResult::kOk);
    EXPECT_EQ(source->IsLost(), KWDisplayResult::kOk);
    ASSERT_EQ(source->Lock(locked, true), KWDisplayResult::kOk);
    EXPECT_EQ(locked.bits[0], 0);
    source->Unlock();
}

TEST(KWDisplayWindow, ResizingReallocatesAClearedFrameBufferInTheDisplayLayout) {
    KWDisplayDriverSettings settings;
    settings.displayLayout = KWPixelLayout::kBGR565;
    KWDisplayDriverOverride driver(settings);
    KWDisplayWindow window(16, 8);
    {
        auto lock = window.LockFrameBuffer();
        EXPECT_EQ(window.GetFrameBuffer().GetLayout(), KWPixelLayout::kBGR565);
        window.GetFrameBuffer().Fill({0, 0, 16, 8}, 0xFFFF);
    }
    window.SetClientSize(20, 10);
    EXPECT_EQ(window.GetClientSize(), (KWSize{20, 10}));
    EXPECT_EQ(FramePixel(window, 0, 0), 0u);
    window.SetClientSize(0, 10);
    auto lock = window.LockFrameBuffer();
    EXPECT_TRUE(window.GetFrameBuffer().IsEmpty());
}
