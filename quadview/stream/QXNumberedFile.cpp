#include "QXNumberedFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace QXNumberedFile {
std::string Name(const QXTimestamp& time, int number, const std::string& extension) {
    char name[40];
    std::snprintf(name, sizeof name, "2%03d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    std::string text = name;
    if (number > 0) {
        std::snprintf(name, sizeof name, "[%02d]", number);
        text += name;
    }
    return text + extension;
}

std::string Join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

int Create(const std::string& directory, const QXTimestamp& time, const std::string& extension,
           std::string& path) {
    for (int number = 0; number <= kLastNumber; ++number) {
        const std::string candidate = Join(directory, Name(time, number, extension));
        const int file = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) {
            path = candidate;
            return file;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}
} // namespace QXNumberedFile
