#include "CCamReply.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
constexpr const char* kReplyPrefix = "KESTRAREPLY";
constexpr std::string_view kKnownKinds = "0123467";
constexpr std::string_view kKindsWithStatus = "12346";
constexpr char kSeparator = ',';
} // namespace

std::size_t CCamReply::Tokenize(const char* text, Slots& slots) {
    for (auto& slot : slots)
        slot.fill('\0');
    std::size_t count = 0;
    const char* cursor = text;
    while (count < kMaxTokens) {
        while (*cursor == kSeparator)
            ++cursor;
        if (*cursor == '\0')
            break;
        const char* end = cursor;
        while (*end != '\0' && *end != kSeparator)
            ++end;
        const std::size_t length = std::min<std::size_t>(end - cursor, kMaxTokenLength);
        std::memcpy(slots[count].data(), cursor, length);
        ++count;
        cursor = end;
    }
    return count;
}

bool CCamReply::KindIsKnown(const Slot& kind) {
    return kind[0] != '\0' && kind[1] == '\0' &&
           kKnownKinds.find(kind[0]) != std::string_view::npos;
}

bool CCamReply::KindHasStatus(int kind) {
    return kKindsWithStatus.find(static_cast<char>('0' + kind)) != std::string_view::npos;
}

int CCamReply::Parse(const char* text, CameraRecord& record) {
    Slots slots;
    Tokenize(text, slots);
    if (std::strcmp(slots[0].data(), kReplyPrefix) != 0 || !KindIsKnown(slots[1]))
        return -1;
    const int kind = slots[1][0] - '0';

    record = CameraRecord();
    std::string_view mac = slots[2].data();
    CameraRecord::SetText(record.mac, mac);
    for (std::size_t i = 0; i < mac.size(); ++i)
        if (record.mac[i] == ' ')
            record.mac[i] = '0';
    CameraRecord::SetText(record.address, slots[3].data());
    CameraRecord::SetText(record.netMask, slots[4].data());
    CameraRecord::SetText(record.gateway, slots[5].data());
    CameraRecord::SetText(record.name, slots[6].data());
    if (KindHasStatus(kind))
        CameraRecord::SetText(record.status, slots[7].data());
    record.port = PortOf(record.address);
    return kind;
}

std::int32_t CCamReply::PortOf(const char* address) {
    const char* colon = std::strchr(address, ':');
    if (!colon)
        return 0;
    // strtol reads like atoi (leading blanks, a sign, digits) but reports overflow instead of
    // leaving it undefined.
    const long value = std::strtol(colon + 1, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}
