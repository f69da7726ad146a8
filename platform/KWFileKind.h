#pragma once
#include <string>

// Drives and recordings are regular files or block devices. Anything else - a FIFO, a socket, a
// terminal, a directory - is refused before it is read, since a read from it can wait forever.

// Opens `path` read-only when it is a regular file or a block device, without waiting on
// anything else. Returns the descriptor, or -1 with errno set (ENODEV for a refused kind).
int KWOpenInputFile(const std::string& path);

// For a path a library opens itself: empty when it is a regular file or a block device, else
// why it cannot be read.
std::string KWInputFileProblem(const std::string& path);

// For the path of a file about to be written by putting a new file in its place: empty when
// nothing is there or a regular file is, else why it must not be replaced. A symbolic link is
// refused rather than followed or replaced: the user named the link, not its target.
std::string KWOutputFileProblem(const std::string& path);
