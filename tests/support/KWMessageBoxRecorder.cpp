#include "KWMessageBoxRecorder.h"

KWMessageBoxRecorder::KWMessageBoxRecorder(int answer) : m_answer(answer) {
    m_previous = KWSetMessageBoxHandler([this](const KWMessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(Shown{request, m_answer});
        return m_answer;
    });
}

KWMessageBoxRecorder::~KWMessageBoxRecorder() {
    KWSetMessageBoxHandler(std::move(m_previous));
}

std::vector<KWMessageBoxRecorder::Shown> KWMessageBoxRecorder::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::size_t KWMessageBoxRecorder::Count() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

void KWMessageBoxRecorder::SetAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

void KWMessageBoxRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
}
