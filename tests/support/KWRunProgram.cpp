#include "KWRunProgram.h"

#include "KWPollUntil.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

KWProgram::KWProgram(const std::string& commandLine) {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    const char* argv[] = {"/bin/sh", "-c", commandLine.c_str(), nullptr};
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ) !=
        0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (IsStarted())
        m_outputFd = output[0];
    else
        ::close(output[0]);
}

KWProgram::~KWProgram() {
    if (IsStarted() && !m_exited) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_outputFd >= 0)
        ::close(m_outputFd);
}

bool KWProgram::WaitForExit(int timeoutMs) {
    if (!IsStarted())
        return false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    constexpr int kSliceMs = 10;
    while (!m_exited || m_outputFd >= 0) {
        if (timeoutMs != kNoTimeLimit && std::chrono::steady_clock::now() > deadline)
            return false;
        if (m_outputFd >= 0)
            ReadOutput(kSliceMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int status = 0;
        if (!m_exited && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_exited = true;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    return true;
}

bool KWProgram::WaitForOutput(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    constexpr int kSliceMs = 10;
    while (m_output.find(text) == std::string::npos) {
        if (m_outputFd < 0 || std::chrono::steady_clock::now() > deadline)
            return false;
        ReadOutput(kSliceMs);
    }
    return true;
}

// The "SigCgt" line of /proc/PID/status is the mask of the signals the process catches.
bool KWProgram::WaitUntilCatching(int signal, int timeoutMs) const {
    const std::string statusPath = "/proc/" + std::to_string(m_pid) + "/status";
    const std::uint64_t bit = std::uint64_t{1} << (signal - 1);
    return KWPollUntil(
        [&] {
            std::ifstream status(statusPath);
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("SigCgt:", 0) == 0)
                    return (std::stoull(line.substr(7), nullptr, 16) & bit) != 0;
            return false;
        },
        std::chrono::milliseconds(timeoutMs));
}

void KWProgram::ReadOutput(int waitMs) {
    pollfd ready{m_outputFd, POLLIN, 0};
    if (::poll(&ready, 1, waitMs) <= 0)
        return;
    char buffer[4096];
    const ssize_t got = ::read(m_outputFd, buffer, sizeof buffer);
    if (got > 0) {
        m_output.append(buffer, static_cast<std::size_t>(got));
        return;
    }
    if (got < 0 && errno == EINTR)
        return;
    ::close(m_outputFd); // end of the output (or a broken pipe)
    m_outputFd = -1;
}

KWProgramRun KWRunProgram(const std::string& commandLine) {
    KWProgram program(commandLine);
    program.WaitForExit(KWProgram::kNoTimeLimit);
    return {program.Status(), program.Output()};
}

std::string KWProgramFolder() {
    return std::string(QV_BINARY_DIR) + "/bin";
}

std::string KWBuiltProgram(const std::string& name) {
    return KWProgramFolder() + "/" + name;
}
