#pragma once
#include "KWDisplayTypes.h"

// What the display hardware offers: read by each display device when it is created. Tests
// replace it to play a display without overlays, one that refuses a pixel layout, or a
// 16-bit display mode.
struct KWDisplayDriverSettings {
    bool present = true; // a display device can be created
    bool hardwareCapsReadable = true;
    bool emulationCapsReadable = true;
    KWDisplayCapabilities hardware{KWDisplayCaps::kAll, 64u << 20, 64u << 20};
    KWDisplayCapabilities emulation{
        KWDisplayCaps::kBlit | KWDisplayCaps::kBlitStretch | KWDisplayCaps::kBlitColorFill, 0, 0};
    std::uint32_t offscreenLayouts = kAllPixelLayouts; // KWLayoutBit of each accepted layout
    std::int32_t pitchPadding = 0;                     // extra bytes in every surface row
    std::int32_t displayWidth = 1920;
    std::int32_t displayHeight = 1080;
    KWPixelLayout displayLayout = KWPixelLayout::kRGB32; // never planar
};

KWDisplayDriverSettings KWGetDisplayDriverSettings();
// Replaces the settings for devices and windows created from now on; returns the previous ones.
KWDisplayDriverSettings KWSetDisplayDriverSettings(const KWDisplayDriverSettings& settings);
