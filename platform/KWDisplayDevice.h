#pragma once
#include "KWDisplayDriver.h"
#include "KWDisplayTypes.h"

#include <memory>
#include <mutex>
#include <vector>

class KWDisplayClipper;
class KWDisplaySurface;
class KWDisplayWindow;

// One display device object of the software driver: reports the hardware's capabilities and
// display mode and creates surfaces and clippers. It takes the driver settings current at its
// creation.
class KWDisplayDevice {
public:
    // Null when there is no display device.
    static std::shared_ptr<KWDisplayDevice> Create();

    // Fills either record that is given; fails when that record cannot be read.
    KWDisplayResult GetCapabilities(KWDisplayCapabilities* hardware,
                                    KWDisplayCapabilities* emulation) const;
    // The window the device draws for; exclusive means it covers the whole display.
    KWDisplayResult SetCooperativeLevel(KWDisplayWindow* window, bool exclusive);
    KWDisplayResult GetDisplayMode(KWDisplayMode& mode) const;

    // The primary surface needs a cooperative level.
    KWDisplayResult CreatePrimarySurface(std::shared_ptr<KWDisplaySurface>& surface);
    // kUnsupported when the driver does not accept the pixel format for off-screen surfaces.
    KWDisplayResult CreateOffscreenSurface(std::int32_t width, std::int32_t height,
                                           const KWPixelFormat& format,
                                           std::shared_ptr<KWDisplaySurface>& surface);
    KWDisplayResult CreateClipper(std::shared_ptr<KWDisplayClipper>& clipper);

    // What a change of the display mode does: every surface of this device reports itself lost.
    void LoseSurfaces();

private:
    explicit KWDisplayDevice(const KWDisplayDriverSettings& settings) : m_settings(settings) {}

    const KWDisplayDriverSettings m_settings;
    mutable std::mutex m_mutex;
    KWDisplayWindow* m_window = nullptr;
    bool m_cooperative = false;
    std::vector<std::weak_ptr<KWDisplaySurface>> m_surfaces;
};
