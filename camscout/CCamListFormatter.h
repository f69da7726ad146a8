#pragma once
#include "CameraRecord.h"

#include <string>
#include <vector>

// The camera list as text for scripts: CSV with a header line and one camera per line, or a
// JSON array with one object per camera and line.
class CCamListFormatter {
public:
    static std::string Csv(const std::vector<CameraRecord>& cameras);
    static std::string Json(const std::vector<CameraRecord>& cameras);

private:
    static std::string CsvField(const char* text);
    static std::string JsonString(const char* text);
};
