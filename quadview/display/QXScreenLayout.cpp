#include "QXScreenLayout.h"

QXScreenLayout QXScreenLayout::Compute(std::int32_t w, std::int32_t h) {
    const std::int32_t b = kBarHeight;
    const std::int32_t halfW = w / 2;
    const std::int32_t halfH = h / 2;
    QXScreenLayout layout;
    layout.video = {{
        {0, b, halfW, halfH},
        {halfW, b, w, halfH},
        {0, halfH, halfW, h - b},
        {halfW, halfH, w, h - b},
        {0, b, w, h - b},
        {0, b, halfW, h - b},
        {halfW, b, w, h - b},
    }};
    layout.bar = {{
        {0, 0, halfW, b},
        {halfW, 0, w, b},
        {0, h - b, halfW, h},
        {halfW, h - b, w, h},
        {0, 0, w, b},
        {0, 0, halfW, b},
        {halfW, 0, w, b},
    }};
    layout.bottomBar = {0, h - b, w, h};
    return layout;
}
