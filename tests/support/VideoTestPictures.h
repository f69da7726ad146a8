#pragma once
// Pictures and frames for the video tests: synthetic YUV pictures, PSNR and frame assembly.
#include "CQXVideoEncoder.h"
#include "CQXVideoFrame.h"
#include "QXVideoStartCode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> y, u, v;

    TestPicture(int w, int h)
        : width(w), height(h), y(static_cast<std::size_t>(w * h)),
          u(static_cast<std::size_t>(w * h / 4)), v(static_cast<std::size_t>(w * h / 4)) {}

    CQXVideoEncoder::Picture View() const { return {y.data(), u.data(), v.data(), width, height}; }
};

// A camera-like scene: smooth gradients, a few soft shapes and mild noise; `phase` moves a
// bright square so that successive pictures differ in a few macroblocks only.
inline TestPicture MakeScene(int width, int height, int phase = 0, unsigned seed = 1) {
    TestPicture p(width, height);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-2, 2);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            double value = 60 + 100.0 * i / width + 40 * std::sin(j / 9.0) * std::cos(i / 13.0);
            const int sx = 40 + phase * 16;
            if (i >= sx && i < sx + 24 && j >= 30 && j < 54)
                value = 220;
            p.y[j * width + i] = static_cast<std::uint8_t>(
                std::clamp(static_cast<int>(value) + noise(random), 0, 255));
        }
    for (int j = 0; j < height / 2; ++j)
        for (int i = 0; i < width / 2; ++i) {
            p.u[j * width / 2 + i] = static_cast<std::uint8_t>(128 + 40 * std::sin(i / 11.0));
            p.v[j * width / 2 + i] = static_cast<std::uint8_t>(128 - 30 * std::cos(j / 7.0));
        }
    return p;
}

inline double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    if (sum == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(n)));
}

// Assembles `body` (the bytes after a frame's start code) into `frame` the way the stream does:
// start code, body, then the start code of the next frame.
inline bool AssembleFrame(CQXVideoFrame& frame, const std::vector<std::uint8_t>& body) {
    frame.Reset();
    std::vector<std::uint8_t> stream(std::begin(QXVideoStartCode::kBytes),
                                     std::end(QXVideoStartCode::kBytes));
    stream.insert(stream.end(), body.begin(), body.end());
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    const std::uint8_t* pointer = stream.data();
    auto length = static_cast<std::uint16_t>(stream.size());
    while (length > 0 && !frame.IsComplete())
        frame.Feed(pointer, length, QXTimestamp{7, 1, 2, 3, 4, 5}, 0x08);
    return frame.IsComplete();
}
