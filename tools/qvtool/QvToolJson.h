#pragma once
#include <string>

// The JSON qvtool prints: every text goes through here.
namespace QvToolJson {
// The text as a JSON string in quotes: quotes and backslashes escaped, control characters as
// \u00XX; other bytes (UTF-8 included) as they are.
std::string String(const std::string& text);
} // namespace QvToolJson
