#pragma once
#include <optional>
#include <string>

class CKWSystemOsInfo;

// Whether the viewer can run on the system `info` describes. A refusal carries the message
// box to show before the program ends.
struct QXPlatformRefusal {
    std::string text;
    std::string caption;
    unsigned flags = 0;
};

std::optional<QXPlatformRefusal> QXCheckPlatform(CKWSystemOsInfo& info);

// The page that explains how to switch on 48-bit addressing in the disk driver.
extern const char* const kBigLbaHelpAddress;
