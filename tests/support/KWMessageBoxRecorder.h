#pragma once
#include "KWMessageBox.h"

#include <mutex>
#include <vector>

// Replaces the message box service for its lifetime: every box is recorded (text, caption,
// flags) and answered with the given answer instead of being shown.
class KWMessageBoxRecorder {
public:
    struct Shown {
        KWMessageBoxRequest request;
        int answer;
    };

    explicit KWMessageBoxRecorder(int answer = KWMessageBoxAnswer::kOk);
    ~KWMessageBoxRecorder();
    KWMessageBoxRecorder(const KWMessageBoxRecorder&) = delete;
    KWMessageBoxRecorder& operator=(const KWMessageBoxRecorder&) = delete;

    std::vector<Shown> Boxes() const;
    std::size_t Count() const;
    void SetAnswer(int answer);
    // Forgets the boxes recorded so far.
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Shown> m_boxes;
    int m_answer;
    KWMessageBoxHandler m_previous;
};
