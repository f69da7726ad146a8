#include "QXScanCursor.h"

QXScanCursor::Outcome QXScanCursor::Hit(std::uint32_t packetCount) {
    length = static_cast<std::uint32_t>(Next());
    step = step == 0 ? 1 : 2 * step;
    if (length + step < packetCount)
        return Outcome::kContinue;
    step = 1;
    return length < packetCount ? Outcome::kContinue : Outcome::kGrow;
}

QXScanCursor::Outcome QXScanCursor::Miss() {
    if (step < 2)
        return Outcome::kEnd;
    step = 1;
    return Outcome::kContinue;
}
