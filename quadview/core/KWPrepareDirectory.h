#pragma once
#include <string>

// Creates every missing directory of an absolute path ("/a/b", or "//host/share/a" whose
// "//host/" is its root) level by level. Returns true when all levels exist afterwards; in every
// case the base directory (when given) is the process's current directory on return.
[[nodiscard]] bool PrepareDirectory(const std::string& baseDirectory, const std::string& path);
