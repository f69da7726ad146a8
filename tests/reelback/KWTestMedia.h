#pragma once
#include <string>

// Short recordings made with the ffmpeg command-line tool for the player's tests. Every picture
// carries its frame number in its grey level (see FrameOfShade), so tests can tell frames apart.
namespace KWTestMedia {
constexpr int kFrameRate = 25;
constexpr int kSeconds = 4;
constexpr int kFrames = kFrameRate * kSeconds;
constexpr int kKeyInterval = 10;

// MPEG-4 Part 2 video with G.711 sound in AVI / H.264 with AAC in MP4, both named *.av.
std::string MakeMpeg4Avi(const std::string& path);
std::string MakeH264Mp4(const std::string& path, const std::string& creationTime = "");
// The number of the frame whose shown grey level this is.
int FrameOfShade(int shade);
} // namespace KWTestMedia
