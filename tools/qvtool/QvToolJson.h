#pragma once
#include <string>

// qvtool's JSON writing: every string it prints goes through here.
namespace QvToolJson {
// The text as a JSON string literal: quotes and backslashes escaped, control characters as
// \uXXXX; other bytes (UTF-8 included) pass as they are.
std::string String(const std::string& text);
} // namespace QvToolJson
