#pragma once
#include "KWMessageTarget.h"

#include <mutex>
#include <vector>

// A message target for tests: records every message it receives, with how it arrived.
class KWRecordingTarget : public KWMessageTarget {
public:
    struct Message {
        std::uint32_t message;
        KWWParam wParam;
        KWLParam lParam;
        bool operator==(const Message&) const = default;
    };

    // Inline by default: messages are recorded on the sender's thread. With OwnerThread, the
    // creating thread must deliver them (as a window thread does).
    explicit KWRecordingTarget(Delivery delivery = Delivery::Inline, KWResult answer = 0)
        : KWMessageTarget(delivery), m_answer(answer) {}

    std::vector<Message> Received() const {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    std::size_t Count() const {
        std::lock_guard lock(m_mutex);
        return m_received.size();
    }

protected:
    KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam) override {
        std::lock_guard lock(m_mutex);
        m_received.push_back(Message{message, wParam, lParam});
        return m_answer;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_received;
    KWResult m_answer;
};
