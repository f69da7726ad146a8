#include "KWTempDir.h"

#include <cstdlib>
#include <string>
#include <system_error>

KWTempDir::KWTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    m_path = pattern;
}

KWTempDir::~KWTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
