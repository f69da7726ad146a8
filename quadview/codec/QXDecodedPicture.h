#pragma once
#include <cstdint>
#include <vector>

// A copy of a decoder's picture with the geometry it was decoded at: enough for another decoder
// to continue from it as if it had decoded the same pictures itself.
struct QXDecodedPicture {
    int highestRow = 0;
    int columns = 0;
    int width = 0;
    int height = 0;
    // Y (width x height), then U and V (each width / 2 x height / 2), lines packed.
    std::vector<std::uint8_t> planes;

    std::size_t LumaSize() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
    const std::uint8_t* Plane(int plane) const {
        return planes.data() + (plane == 0 ? 0 : LumaSize() + (plane - 1) * LumaSize() / 4);
    }
};
