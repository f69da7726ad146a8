#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>

// A command line run through the shell, with what it prints on standard output collected
// (standard error joins it when the command line says 2>&1). Start the program with `exec` when
// a test signals it, so that the signal reaches the program rather than the shell.
class KWProgram {
public:
    static constexpr int kNoTimeLimit = -1;

    explicit KWProgram(const std::string& commandLine);
    // A program still running is killed.
    ~KWProgram();
    KWProgram(const KWProgram&) = delete;
    KWProgram& operator=(const KWProgram&) = delete;

    bool IsStarted() const { return m_pid > 0; }
    pid_t Id() const { return m_pid; }
    // Waits until the program has ended and closed its output; false after the time-out.
    bool WaitForExit(int timeoutMs);
    // Waits until the output so far holds the text; false after the time-out or the program's end.
    bool WaitForOutput(const std::string& text, int timeoutMs);
    // Waits until the program has a handler of its own for the signal (it has set itself up to
    // answer it); false after the time-out.
    bool WaitUntilCatching(int signal, int timeoutMs) const;
    // The exit status, -1 while running or when the program did not exit normally.
    int Status() const { return m_status; }
    const std::string& Output() const { return m_output; }

private:
    void ReadOutput(int waitMs);

    pid_t m_pid = -1;
    int m_outputFd = -1;
    bool m_exited = false;
    int m_status = -1;
    std::string m_output;
};

struct KWProgramRun {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string output;
};

// Runs a command line to its end: see KWProgram.
KWProgramRun KWRunProgram(const std::string& commandLine);

// The build tree's folder of programs, and a program in it, e.g. KWBuiltProgram("qvtool").
std::string KWProgramFolder();
std::string KWBuiltProgram(const std::string& name);
