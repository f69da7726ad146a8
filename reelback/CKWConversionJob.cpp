#include "CKWConversionJob.h"

CKWConversionJob::~CKWConversionJob() {
    Cancel();
    Wait();
}

bool CKWConversionJob::Start(const std::string& source, const std::string& destination) {
    if (m_running) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    {
        std::lock_guard lock(m_mutex);
        m_destination = destination;
    }
    m_running = true;
    m_cancel = false;
    m_succeeded = false;
    m_progress = 0;
    m_thread = std::thread([this, source, destination] {
        CKWAviConverter converter;
        const bool succeeded = converter.Convert(source, destination, [this](double done) {
            m_progress = done;
            return !m_cancel.load();
        });
        {
            std::lock_guard lock(m_mutex);
            m_error = converter.GetError();
        }
        m_succeeded = succeeded;
        m_running = false;
    });
    return true;
}

bool CKWConversionJob::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_succeeded;
}

std::string CKWConversionJob::GetError() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

std::string CKWConversionJob::GetDestination() const {
    std::lock_guard lock(m_mutex);
    return m_destination;
}
