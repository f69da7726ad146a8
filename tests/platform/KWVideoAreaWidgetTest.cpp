#include "KWVideoAreaWidget.h"
#include "KWDisplayDevice.h"
#include "KWDisplaySurface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <thread>

TEST(KWVideoAreaWidget, ShowsWhatAWorkerThreadBlitsIntoItsFrameBuffer) {
    KWVideoAreaWidget widget;
    widget.resize(64, 48);
    widget.show();
    QApplication::processEvents();
    KWDisplayWindow* window = widget.GetDisplayWindow();
    EXPECT_EQ(window->GetClientSize(), (KWSize{64, 48}));

    auto device = KWDisplayDevice::Create();
    ASSERT_EQ(device->SetCooperativeLevel(window, false), KWDisplayResult::kOk);
    std::shared_ptr<KWDisplaySurface> primary;
    ASSERT_EQ(device->CreatePrimarySurface(primary), KWDisplayResult::kOk);
    std::shared_ptr<KWDisplaySurface> green;
    ASSERT_EQ(device->CreateOffscreenSurface(4, 4, KWFormatOfLayout(KWPixelLayout::kRGB565), green),
              KWDisplayResult::kOk);
    green->ColorFill(nullptr, 0x07E0);
    const KWPoint origin = window->GetClientOrigin();
    const KWRect target = KWRect{0, 0, 64, 48}.Offset(origin.x, origin.y);
    std::thread worker(
        [&] { EXPECT_EQ(primary->Blit(&target, *green, nullptr), KWDisplayResult::kOk); });
    worker.join();

    QElapsedTimer elapsed;
    elapsed.start();
    QColor seen;
    while (elapsed.elapsed() < 10000) {
        QApplication::processEvents();
        seen = widget.grab().toImage().pixelColor(32, 24);
        if (seen == QColor(0, 255, 0))
            break;
    }
    EXPECT_EQ(seen, QColor(0, 255, 0));

    widget.resize(100, 80);
    QApplication::processEvents();
    EXPECT_EQ(window->GetClientSize(), (KWSize{100, 80}));
}
