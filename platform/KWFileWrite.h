#pragma once
#include <cstddef>

// Writes the whole buffer to an open file, going on after a write that stopped short. False
// (with errno set) when the system refuses a write or a write makes no progress: a full disk
// never counts as written.
[[nodiscard]] bool KWWriteAll(int file, const void* data, std::size_t size);
