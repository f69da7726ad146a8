#pragma once
#include <filesystem>

// Makes a directory the process's current directory for its lifetime, then returns to the one
// before: for code that works relative to where the program was started.
class KWScopedCurrentDirectory {
public:
    explicit KWScopedCurrentDirectory(const std::filesystem::path& directory)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~KWScopedCurrentDirectory() {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
    }
    KWScopedCurrentDirectory(const KWScopedCurrentDirectory&) = delete;
    KWScopedCurrentDirectory& operator=(const KWScopedCurrentDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};
