#pragma once
#include <cstddef>

// Reads exactly `size` bytes from an open file, going on after a read that stopped short. False
// when the file ends first or the system refuses a read.
[[nodiscard]] bool KWReadAll(int file, void* data, std::size_t size);
