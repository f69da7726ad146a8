#pragma once
// A file in memory with a path, for the readers that open files by name or read through a file
// descriptor: each fuzz input becomes such a file without touching the disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

class FuzzMemoryFile {
public:
    FuzzMemoryFile() : m_file(memfd_create("fuzz", MFD_CLOEXEC)) {
        // Without a file every input would test nothing: stop the run at once.
        if (m_file < 0)
            std::abort();
    }
    ~FuzzMemoryFile() { close(m_file); }
    FuzzMemoryFile(const FuzzMemoryFile&) = delete;
    FuzzMemoryFile& operator=(const FuzzMemoryFile&) = delete;

    // Makes the file `length` bytes long, all zero.
    void Resize(std::uint64_t length) {
        if (ftruncate(m_file, 0) != 0 || ftruncate(m_file, static_cast<off_t>(length)) != 0)
            std::abort();
    }
    void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
        if (size != 0 &&
            pwrite(m_file, data, size, static_cast<off_t>(offset)) != static_cast<ssize_t>(size))
            std::abort();
    }
    // Makes the file hold exactly these bytes.
    void Assign(const std::uint8_t* data, std::size_t size) {
        Resize(size);
        WriteAt(0, data, size);
    }
    int Descriptor() const { return m_file; }
    // A name that opens this file again.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(m_file); }

private:
    int m_file;
};
