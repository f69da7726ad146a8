#pragma once
#include "CKWAviConverter.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// One AVI conversion at a time on a thread of its own, with its progress for a display.
class CKWConversionJob {
public:
    ~CKWConversionJob();

    // False when a conversion is still running.
    bool Start(const std::string& source, const std::string& destination);
    bool IsRunning() const { return m_running.load(); }
    // Share done, 0..1.
    double GetProgress() const { return m_progress.load(); }
    void Cancel() { m_cancel = true; }
    // Waits for the running conversion; returns whether the last one succeeded.
    bool Wait();
    bool Succeeded() const { return m_succeeded.load(); }
    std::string GetError() const;
    // The file the last conversion writes.
    std::string GetDestination() const;

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_succeeded{false};
    std::atomic<double> m_progress{0};
    mutable std::mutex m_mutex;
    std::string m_error;
    std::string m_destination;
};
