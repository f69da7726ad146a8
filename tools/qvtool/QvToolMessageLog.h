#pragma once
#include "KWMessageBox.h"

#include <cstdio>
#include <mutex>
#include <string>

// For its lifetime the viewer's message boxes are kept instead of shown and answered with OK;
// a command prints them when they explain its failure.
class QvToolMessageLog {
public:
    QvToolMessageLog();
    ~QvToolMessageLog();
    QvToolMessageLog(const QvToolMessageLog&) = delete;
    QvToolMessageLog& operator=(const QvToolMessageLog&) = delete;

    // Each box as "[caption] text" on a line of its own.
    void Print(std::FILE* out);

private:
    std::mutex m_mutex;
    std::string m_text;
    KWMessageBoxHandler m_previous;
};
