#include "KWErrorReport.h"

#include "KWExitHook.h"
#include "KWMessageBox.h"

#include <cerrno>
#include <cstring>

namespace {
const char* const kCompanyLine = "Corvane Technologies, Inc.";
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
