#include "KWRunProgram.h"

#include <cstdio>
#include <sys/wait.h>

KWProgramRun KWRunProgram(const std::string& commandLine) {
    KWProgramRun run;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string KWBuiltProgram(const std::string& name) {
    return std::string(QV_BINARY_DIR) + "/bin/" + name;
}
