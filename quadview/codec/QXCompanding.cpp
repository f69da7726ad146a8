#include "QXCompanding.h"

#include <algorithm>
#include <cstdlib>

namespace QXCompanding {

std::uint8_t Compress(int linear) {
    const int magnitude = std::abs(std::clamp(linear, -kMaxMagnitude, kMaxMagnitude));
    // The magnitude rises with x, so search x = t ^ 0x55 on the segment scale.
    int low = 0;
    int high = kCodes - 1;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (SegmentMagnitude(mid) < magnitude)
            low = mid + 1;
        else
            high = mid;
    }
    // low is the first x at or above the magnitude; the one below may be closer.
    if (low > 0 && magnitude - SegmentMagnitude(low - 1) <= SegmentMagnitude(low) - magnitude)
        --low;
    const auto code = static_cast<std::uint8_t>(low ^ kInversionMask);
    return linear < 0 ? static_cast<std::uint8_t>(code | kSignBit) : code;
}

} // namespace QXCompanding
