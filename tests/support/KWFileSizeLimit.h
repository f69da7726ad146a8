#pragma once
#include <csignal>
#include <cstdint>
#include <sys/resource.h>

// A full disk for the process, for its lifetime: no file can grow past `bytes`. A write that
// would cross the limit stops short there and the next one fails (EFBIG), as on a disk that
// fills up; the signal such a write raises is ignored meanwhile.
class KWFileSizeLimit {
public:
    explicit KWFileSizeLimit(std::uint64_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_previous;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        m_applied = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~KWFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    KWFileSizeLimit(const KWFileSizeLimit&) = delete;
    KWFileSizeLimit& operator=(const KWFileSizeLimit&) = delete;

    // False when the system refused the limit: the test cannot make its full disk.
    bool IsApplied() const { return m_applied; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_applied = false;
};
