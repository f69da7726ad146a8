// A camera's reply datagram as the finder receives it: at most one datagram's bytes, ended by
// a NUL. Every field of the record must stay a terminated text within its size.
#include "CCamReply.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
template <std::size_t N> void CheckTerminated(const char (&field)[N]) {
    if (std::memchr(field, 0, N) == nullptr)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<char, CCamReply::kMaxDatagramSize + 1> text{};
    std::copy_n(data, std::min(size, CCamReply::kMaxDatagramSize), text.begin());

    CameraRecord record;
    const int kind = CCamReply::Parse(text.data(), record);
    if (kind < -1 || kind > 7)
        std::abort();
    CheckTerminated(record.name);
    CheckTerminated(record.mac);
    CheckTerminated(record.address);
    CheckTerminated(record.netMask);
    CheckTerminated(record.gateway);
    CheckTerminated(record.status);

    CCamReply::Slots slots{};
    if (CCamReply::Tokenize(text.data(), slots) > CCamReply::kMaxTokens)
        std::abort();
    CCamReply::PortOf(text.data());
    return 0;
}
