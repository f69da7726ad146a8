#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// One camera as the finder knows it: a fixed record of 440 bytes. Text fields hold
// NUL-terminated 8-bit text copied byte for byte from the camera's reply; a new record is
// zero-filled.
struct CameraRecord {
    char name[255] = {};
    char mac[60] = {};
    char address[30] = {}; // a.b.c.d:port, the port suffix always kept
    char netMask[30] = {};
    char gateway[30] = {};
    char status[31] = {}; // acknowledgement status; empty for discovery answers
    std::int32_t port = 0;

    // Copies text into a field, cut so that the terminating NUL always fits.
    template <std::size_t N> static void SetText(char (&field)[N], std::string_view text) {
        CopyText(field, N, text);
    }

    static void CopyText(char* field, std::size_t size, std::string_view text);
};

static_assert(sizeof(CameraRecord) == 440, "CameraRecord is a fixed 440-byte record");
