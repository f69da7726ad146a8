#pragma once
#include <functional>

// Ends the process after a fatal report. The hook is replaceable so tests can observe the exit;
// a hook that returns is followed by the real exit.
[[noreturn]] void KWExitProcess(int exitCode);

using KWExitHandler = std::function<void(int exitCode)>;
KWExitHandler KWSetExitHandler(KWExitHandler handler);
