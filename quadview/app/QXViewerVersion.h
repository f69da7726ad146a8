#pragma once

// The viewer's version strings: major, minor, build.
namespace QXViewerVersion {
inline constexpr const char* kMajor = "3";
inline constexpr const char* kMinor = "8";
inline constexpr const char* kBuild = "0";
} // namespace QXViewerVersion
