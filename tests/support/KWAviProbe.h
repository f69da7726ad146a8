#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What FFmpeg's command-line tools, as outside readers, find in a video file.
struct KWAviProbe {
    bool ok = false;    // ffprobe read the file and decoded every frame without a complaint
    std::string report; // what the tools printed, for failure messages
    std::string codec;  // codec_name of the video stream
    int width = 0;
    int height = 0;
    std::string rate; // r_frame_rate, e.g. "5/1"
    int frames = 0;   // frames decoded

    // The file decoded into top-down RGB rows, all frames one after the other; empty when
    // ffmpeg could not decode it or, unless `damaged` allows it, complained about a frame.
    static std::vector<std::uint8_t> DecodeRgb(const std::string& path, bool damaged = false);
};

KWAviProbe KWProbeAvi(const std::string& path);
