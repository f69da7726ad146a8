#pragma once
// Pictures and frames for the video tests: synthetic YUV pictures, PSNR, video streams and
// frame assembly.
#include "CQX4KPacket.h"
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

inline TestPicture MakeFlat(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    TestPicture picture(width, height);
    std::fill(picture.y.begin(), picture.y.end(), y);
    std::fill(picture.u.begin(), picture.u.end(), u);
    std::fill(picture.v.begin(), picture.v.end(), v);
    return picture;
}

inline double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    if (sum == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(n)));
}

// The video stream of frames: each body after its start code, and one more start code at the
// end so that the last frame completes.
inline std::vector<std::uint8_t> VideoStream(const std::vector<std::vector<std::uint8_t>>& bodies) {
    std::vector<std::uint8_t> stream;
    for (const auto& body : bodies) {
        stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                      std::end(QXVideoStartCode::kBytes));
        stream.insert(stream.end(), body.begin(), body.end());
    }
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    return stream;
}

// Assembles `body` (the bytes after a frame's start code) into `frame` the way the stream reader
// does: its stream in pieces of one packet's payload, with the packet's time and recorded
// channels.
inline bool AssembleFrame(CQXVideoFrame& frame, const std::vector<std::uint8_t>& body,
                          const QXTimestamp& time = QXTimestamp{7, 1, 2, 3, 4, 5},
                          std::uint8_t channelSet = 0x08) {
    const std::vector<std::uint8_t> stream = VideoStream({body});
    frame.Reset();
    for (std::size_t at = 0; at < stream.size() && !frame.IsComplete();
         at += CQX4KPacket::kPayloadSize) {
        const std::uint8_t* pointer = stream.data() + at;
        auto length = static_cast<std::uint16_t>(
            std::min<std::size_t>(CQX4KPacket::kPayloadSize, stream.size() - at));
        frame.Feed(pointer, length, time, channelSet);
    }
    return frame.IsComplete();
}

// Encodes a picture and assembles it into `frame` as AssembleFrame does.
inline bool EncodeFrame(CQXVideoFrame& frame, CQXVideoEncoder& encoder,
                        const CQXVideoEncoder::Picture& picture, int channel,
                        std::uint8_t channelSet, const QXTimestamp& time, bool key = true,
                        int quantiser = 2) {
    CQXVideoEncoder::Options options;
    options.channel = channel;
    options.quantiser = quantiser;
    std::vector<std::uint8_t> body;
    if (!encoder.Encode(picture, key, options, body))
        return false;
    return AssembleFrame(frame, body, time, channelSet);
}

// Loads `bytes` as a whole frame, the way frames read back from a file are loaded.
inline void LoadWhole(CQXVideoFrame& frame, const std::vector<std::uint8_t>& bytes) {
    frame.Reset();
    const auto length =
        static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), CQXVideoFrame::kCapacity));
    std::copy(bytes.begin(), bytes.begin() + length, frame.GetData());
    frame.SetLength(length);
    frame.FindSlices();
    frame.SetComplete(true);
}
