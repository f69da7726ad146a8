#include "CCamMacText.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr std::size_t kGroupStride = 3; // two digits and a separator
constexpr char kSeparator = '-';
constexpr std::size_t kLastGroup = CCamMacText::kLength - 2;
constexpr unsigned kGroupValues = 0x100;
} // namespace

CCamMacText::Check CCamMacText::Validate(const std::string& mac) {
    if (mac.size() != kLength)
        return Check::WrongFormat;
    for (std::size_t i = 0; i < kLength; ++i) {
        const bool separator = i % kGroupStride == kGroupStride - 1;
        const unsigned char c = static_cast<unsigned char>(mac[i]);
        if (separator && c != kSeparator)
            return Check::WrongFormat;
        if (!separator && !std::isxdigit(c))
            return Check::NotHex;
    }
    return Check::Valid;
}

std::string CCamMacText::Next(const std::string& mac) {
    const unsigned last =
        static_cast<unsigned>(std::strtoul(mac.substr(kLastGroup).c_str(), nullptr, 16));
    char group[3];
    std::snprintf(group, sizeof(group), "%02X", (last + 1) % kGroupValues);
    return mac.substr(0, kLastGroup) + group;
}
