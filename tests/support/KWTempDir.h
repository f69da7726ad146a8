#pragma once
#include <filesystem>
#include <string>

// A fresh temporary directory, removed with its contents.
class KWTempDir {
public:
    KWTempDir();
    ~KWTempDir();
    KWTempDir(const KWTempDir&) = delete;
    KWTempDir& operator=(const KWTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
