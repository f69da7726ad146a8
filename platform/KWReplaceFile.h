#pragma once
#include <cstddef>
#include <string>

// Makes `data` the whole content of the file at `path`, created or replaced: the bytes go into a
// temporary file beside it, which is renamed over it only once everything is written, so the
// file is replaced whole or left as it was. A failure removes the temporary file. True on
// success.
bool KWReplaceFile(const std::string& path, const void* data, std::size_t size);

// A name beside `path` for the file that will replace it once complete, one that no other writer
// in this or another process picks.
std::string KWTemporaryNameBeside(const std::string& path);

// Creates that file, exclusively, and opens it for writing: the descriptor, with its name in
// `temporary`, or -1 with errno set and `temporary` empty. The caller renames it over `path` or
// removes it.
int KWCreateFileBeside(const std::string& path, std::string& temporary);
