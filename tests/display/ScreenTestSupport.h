#pragma once
// Frames, pictures and waits for the display surface and screen manager tests.
#include "CQXVideoEncoder.h"
#include "CQXVideoFrame.h"
#include "KWDisplayWindow.h"
#include "KWQtTextPainter.h"
#include "QXPixelConversion.h"
#include "QXVideoStartCode.h"
#include "VideoTestPictures.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdlib>
#include <thread>

// The caption text is drawn with Qt's fonts, which need a GUI application; the tests run on the offscreen platform.
inline void EnsureGuiApplication() {
    if (QGuiApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "test_presentation";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing it down among the static destructors crashes inside Qt.
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
    KWInstallQtTextPainter();
}

inline TestPicture MakeFlat(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    TestPicture picture(width, height);
    std::fill(picture.y.begin(), picture.y.end(), y);
    std::fill(picture.u.begin(), picture.u.end(), u);
    std::fill(picture.v.begin(), picture.v.end(), v);
    return picture;
}

// Encodes a picture and assembles it into `frame` the way the stream reader does, in pieces of
// one packet's payload, with the packet's time and recorded channels.
inline bool MakeFrame(CQXVideoFrame& frame, CQXVideoEncoder& encoder,
                      const CQXVideoEncoder::Picture& picture, int channel, std::uint8_t channelSet,
                      const QXTimestamp& time, bool key = true, int quantiser = 2) {
    CQXVideoEncoder::Options options;
    options.channel = channel;
    options.quantiser = quantiser;
    std::vector<std::uint8_t> stream(std::begin(QXVideoStartCode::kBytes),
                                     std::end(QXVideoStartCode::kBytes));
    std::vector<std::uint8_t> body;
    if (!encoder.Encode(picture, key, options, body))
        return false;
    stream.insert(stream.end(), body.begin(), body.end());
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    frame.Reset();
    constexpr std::size_t kPayload = 4088;
    for (std::size_t at = 0; at < stream.size() && !frame.IsComplete(); at += kPayload) {
        const std::uint8_t* pointer = stream.data() + at;
        auto length = static_cast<std::uint16_t>(std::min(kPayload, stream.size() - at));
        frame.Feed(pointer, length, time, channelSet);
    }
    return frame.IsComplete();
}

template <typename Predicate> bool WaitFor(Predicate done, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline std::uint32_t FramePixel(KWDisplayWindow& window, int x, int y) {
    auto lock = window.LockFrameBuffer();
    std::uint32_t rgb = 0;
    window.GetFrameBuffer().ReadRow(y, x, 1, &rgb);
    return rgb;
}

inline std::uint32_t RgbOf(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    const auto c = QXPixelConversion::ToRgb(y, u, v);
    return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
}

// True when each channel of two 0x00RRGGBB colours differs by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 4) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance)
            return false;
    }
    return true;
}
