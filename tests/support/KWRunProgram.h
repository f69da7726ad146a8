#pragma once
#include <string>

// Runs a command line through the shell and collects what it prints (standard error joins the
// output when the command line says 2>&1).
struct KWProgramRun {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string output;
};

KWProgramRun KWRunProgram(const std::string& commandLine);

// A program built into the build tree's bin folder, e.g. KWBuiltProgram("qvtool").
std::string KWBuiltProgram(const std::string& name);
