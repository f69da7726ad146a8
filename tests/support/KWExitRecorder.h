#pragma once
#include "KWExitHook.h"

// Replaces the process-exit hook for its lifetime: an exit throws KWExitRecorder::Exited
// instead of ending the test program, so a test can catch it and check the code.
class KWExitRecorder {
public:
    struct Exited {
        int exitCode;
    };
    KWExitRecorder() {
        m_previous = KWSetExitHandler([](int code) { throw Exited{code}; });
    }
    ~KWExitRecorder() { KWSetExitHandler(std::move(m_previous)); }
    KWExitRecorder(const KWExitRecorder&) = delete;
    KWExitRecorder& operator=(const KWExitRecorder&) = delete;

private:
    KWExitHandler m_previous;
};
