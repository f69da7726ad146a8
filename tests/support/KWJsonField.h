#pragma once
#include <string>

// The value of a field of a one-line JSON object, without its quotes; empty when absent.
inline std::string KWJsonField(const std::string& json, const std::string& name) {
    const std::size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos)
        return "";
    std::size_t begin = at + name.size() + 3;
    const bool quoted = json[begin] == '"';
    begin += quoted;
    const std::size_t end = json.find_first_of(quoted ? "\"" : ",}", begin);
    return json.substr(begin, end - begin);
}
