#pragma once
#include "CKWObject.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <vector>

// Keeps the play modes a device manager announces, in order. A command that changes the mode
// waits for the change to be announced, not for a mode read at once, which may still be the one
// from before the change.
class QvToolModeWatch : public CKWObject {
public:
    KWResult OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam lParam) override;

    // The number of announcements so far: a mark to wait from.
    std::size_t Mark() const;
    // Whether the announcements since `mark` hold `modes` in this order, others between them.
    bool HasSeen(std::size_t mark, std::initializer_list<std::uint32_t> modes) const;
    // Waits until HasSeen and `also` (when given) hold; false after `timeoutMs`.
    bool WaitFor(std::size_t mark, std::initializer_list<std::uint32_t> modes,
                 std::uint32_t timeoutMs, const std::function<bool()>& also = {}) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::uint32_t> m_modes;
};
