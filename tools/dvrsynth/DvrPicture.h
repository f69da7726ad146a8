#pragma once
#include <cstdint>
#include <vector>

// A planar YUV 4:2:0 picture: Y is width x height, U and V are (width/2) x (height/2).
struct DvrPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> y, u, v;

    DvrPicture() = default;
    DvrPicture(int w, int h)
        : width(w), height(h), y(static_cast<std::size_t>(w) * h),
          u(static_cast<std::size_t>(w / 2) * (h / 2)), v(u.size()) {}
};
