#pragma once
#include <string>

// Uniform reports of unrecoverable failures, naming the class that failed.
void ReportFatalError(const std::string& className, const std::string& message);
[[noreturn]] void ReportFatalErrorAndExit(const std::string& title, const std::string& className,
                                          const std::string& message);
int ShowWarning(const std::string& text, const std::string& caption);

// Appends the system's text for an errno value; nothing when the system has none.
void AppendSystemErrorText(std::string& text, int errorCode);
