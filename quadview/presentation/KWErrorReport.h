#pragma once
#include <string>

// Uniform reports of unrecoverable failures, naming the class that failed.
void ReportFatalError(const std::string& className, const std::string& message);
[[noreturn]] void ReportFatalErrorAndExit(const std::string& title, const std::string& className,
                                          const std::string& message);
int ShowWarning(const std::string& text, const std::string& caption);

// Appends the system's text for an errno value; nothing when the system has none.
void AppendSystemErrorText(std::string& text, int errorCode);

// Creates every missing directory of an absolute path ("/a/b", or "//host/share/a" whose
// "//host/" is its root) level by level. Returns true when all levels exist afterwards; in every
// case the base directory (when given) is the process's current directory on return.
bool PrepareDirectory(const std::string& baseDirectory, const std::string& path);
