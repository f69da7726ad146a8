#include "CameraRecord.h"

#include <cstring>

void CameraRecord::CopyText(char* field, std::size_t size, std::string_view text) {
    const std::size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, size - length);
}
