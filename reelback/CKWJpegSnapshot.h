#pragma once
#include "KWPicture.h"

#include <string>

// Writes a picture as a baseline JPEG file.
class CKWJpegSnapshot {
public:
    static constexpr int kDefaultQuality = 75;

    // quality 1..100; false (with GetError) when the file cannot be written.
    bool Write(const KWPicture& picture, const std::string& path, int quality = kDefaultQuality);
    const std::string& GetError() const { return m_error; }

private:
    std::string m_error;
};
