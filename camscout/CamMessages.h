#pragma once
#include <cstdint>

// Window messages from the receiver thread to the finder window. WPARAM carries a heap
// CameraRecord whose ownership passes to the window (none for WM_CAM_BIND_FAILED).
namespace CamMessages {
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr std::uint32_t WM_CAM_BASE = WM_USER + 100; // plus the reply kind
constexpr std::uint32_t WM_CAM_FOUND = WM_CAM_BASE + 0;
constexpr std::uint32_t WM_CAM_IP_UPDATED = WM_CAM_BASE + 1;
constexpr std::uint32_t WM_CAM_MAC_UPDATED = WM_CAM_BASE + 2;
constexpr std::uint32_t WM_CAM_NAME_UPDATED = WM_CAM_BASE + 3;
constexpr std::uint32_t WM_CAM_PORT_UPDATED = WM_CAM_BASE + 4;
constexpr std::uint32_t WM_CAM_DEFAULT_SET = WM_CAM_BASE + 6;
constexpr std::uint32_t WM_CAM_RESET = WM_CAM_BASE + 7;
constexpr std::uint32_t WM_CAM_BIND_FAILED = WM_USER + 120;
} // namespace CamMessages
