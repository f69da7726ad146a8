#include "QvToolMessageLog.h"

QvToolMessageLog::QvToolMessageLog()
    : m_previous(KWSetMessageBoxHandler([this](const KWMessageBoxRequest& request) {
          std::lock_guard lock(m_mutex);
          m_text += "[" + request.caption + "] " + request.text + "\n";
          return KWMessageBoxAnswer::kOk;
      })) {}

QvToolMessageLog::~QvToolMessageLog() {
    KWSetMessageBoxHandler(std::move(m_previous));
}

void QvToolMessageLog::Print(std::FILE* out) {
    std::lock_guard lock(m_mutex);
    for (char c : m_text)
        if (c != '\r')
            std::fputc(c, out);
}
