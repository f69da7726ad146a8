#include "KWErrorReport.h"

#include "KWExitHook.h"
#include "KWMessageBox.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
const char* const kCompanyLine = "Corvane Technologies, Inc.";
constexpr std::size_t kMaxDirectoryLevels = 32;
} // namespace

void ReportFatalError(const std::string& className, const std::string& message) {
    const std::string text =
        "Fatal Error Occurred\r\nClass:\t" + className + "\r\nMessage:\t" + message;
    KWMessageBox(text, "Fatal Error", KWMessageBoxFlags::kOk);
}

void ReportFatalErrorAndExit(const std::string& title, const std::string& className,
                             const std::string& message) {
    const std::string caption =
        title.empty() ? std::string("FATAL ERROR -") + kCompanyLine : title + " - " + kCompanyLine;
    const std::string text =
        "Fatal Error Occurred\r\n\t\t\t\t\t \r\n" + message + "\r\n\r\nClass : \t" + className;
    KWMessageBox(text, caption, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconStop);
    KWExitProcess(0);
}

int ShowWarning(const std::string& text, const std::string& caption) {
    return KWMessageBox(text, caption,
                        KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
}

void AppendSystemErrorText(std::string& text, int errorCode) {
    char buffer[256];
    // The GNU strerror_r returns the message, which may or may not live in the buffer.
    const char* message = strerror_r(errorCode, buffer, sizeof buffer);
    if (message && std::strncmp(message, "Unknown error", 13) != 0)
        text += message;
}

// Each level is checked and created through its full path rather than by changing into it, so
// that relative paths resolve against one directory and a concurrent caller on another thread
// (the capture writer) never sees the current directory move.
bool PrepareDirectory(const std::string& baseDirectory, const std::string& path) {
    auto finish = [&baseDirectory](bool ok) {
        if (!baseDirectory.empty() && chdir(baseDirectory.c_str()) != 0)
            return false;
        return ok;
    };
    if (path.find('/') == std::string::npos)
        return finish(false);

    std::string full = path;
    if (full.back() != '/')
        full += '/';

    std::vector<std::string> prefixes;
    std::size_t from = full.rfind("//", 0) == 0 ? 2 : 0;
    for (std::size_t hit; (hit = full.find('/', from)) != std::string::npos; from = hit + 1) {
        prefixes.push_back(full.substr(0, hit + 1));
        if (prefixes.size() == kMaxDirectoryLevels)
            return finish(false);
    }

    for (std::size_t i = 1; i < prefixes.size(); ++i) {
        struct stat info {};
        if (stat(prefixes[i].c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (mkdir(prefixes[i].c_str(), 0777) != 0)
            return finish(false);
    }
    return finish(true);
}
