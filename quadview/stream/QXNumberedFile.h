#pragma once
#include "QXTimestamp.h"

#include <string>

// The files the viewer writes for a recording time (MYS captures, screen captures) are named
// after it: "2YYYMMDDhhmmss" (the digit 2 and the three-digit year value), and when that name is
// taken "[01]" up to "[98]" is appended before the extension. An existing file is never
// overwritten: its name is passed over.
namespace QXNumberedFile {
constexpr int kLastNumber = 98;

// The name of number `number` (0 for the plain name), e.g. "20050307140902[01].jpg".
std::string Name(const QXTimestamp& time, int number, const std::string& extension);

// The directory and a name joined with one "/".
std::string Join(const std::string& directory, const std::string& name);

// Creates, write-only and exclusively, the first name of the time that does not exist yet in
// the directory. Returns the open file and sets `path`, or -1 with errno set: EEXIST when all
// 99 names are taken, otherwise the reason the creation failed.
int Create(const std::string& directory, const QXTimestamp& time, const std::string& extension,
           std::string& path);
} // namespace QXNumberedFile
