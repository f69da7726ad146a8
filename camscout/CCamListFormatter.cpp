#include "CCamListFormatter.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kCsvHeader = "name,mac,address,port,netmask,gateway\n";
}

std::string CCamListFormatter::CsvField(const char* text) {
    if (std::strpbrk(text, ",\"\r\n") == nullptr)
        return text;
    std::string quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"')
            quoted += '"';
        quoted += *c;
    }
    return quoted + '"';
}

// Camera texts are 8-bit and of no known encoding; bytes from 0x80 up are written as the
// Latin-1 characters of the same value, so the output is always valid JSON.
std::string CCamListFormatter::JsonString(const char* text) {
    std::string out = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            out += escaped;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out + '"';
}

std::string CCamListFormatter::Csv(const std::vector<CameraRecord>& cameras) {
    std::string out = kCsvHeader;
    for (const CameraRecord& camera : cameras)
        out += CsvField(camera.name) + ',' + CsvField(camera.mac) + ',' + CsvField(camera.address) +
               ',' + std::to_string(camera.port) + ',' + CsvField(camera.netMask) + ',' +
               CsvField(camera.gateway) + '\n';
    return out;
}

std::string CCamListFormatter::Json(const std::vector<CameraRecord>& cameras) {
    if (cameras.empty())
        return "[]\n";
    std::string out = "[";
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const CameraRecord& camera = cameras[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"name\": " + JsonString(camera.name) + ", \"mac\": " + JsonString(camera.mac) +
               ", \"address\": " + JsonString(camera.address) +
               ", \"port\": " + std::to_string(camera.port) +
               ", \"netmask\": " + JsonString(camera.netMask) +
               ", \"gateway\": " + JsonString(camera.gateway) + "}";
    }
    return out + "\n]\n";
}
