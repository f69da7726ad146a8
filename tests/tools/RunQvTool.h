#pragma once
#include "KWRunProgram.h"

#include <string>

// Runs the built qvtool with the arguments (the rest of a shell command line); standard error
// joins the output.
inline KWProgramRun RunQvTool(const std::string& arguments) {
    return KWRunProgram(KWBuiltProgram("qvtool") + " " + arguments + " 2>&1");
}
