#pragma once
#include "KWMailbox.h"
#include "KWTypes.h"

#include <cstdint>
#include <memory>

// Something that receives window messages: a window of the programs, or a recorder in tests.
// Messages are handled on the thread that created the target: a send from another thread waits
// until the owner has handled it, a post is queued and returns at once. An inline target handles
// every message at once on the calling thread.
class KWMessageTarget {
public:
    enum class Delivery { OwnerThread, Inline };

    explicit KWMessageTarget(Delivery delivery = Delivery::OwnerThread);
    virtual ~KWMessageTarget();
    KWMessageTarget(const KWMessageTarget&) = delete;
    KWMessageTarget& operator=(const KWMessageTarget&) = delete;

    KWResult Send(std::uint32_t message, KWWParam wParam, KWLParam lParam);
    bool Post(std::uint32_t message, KWWParam wParam, KWLParam lParam);

protected:
    virtual KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam) = 0;

private:
    std::shared_ptr<KWMailbox> m_mailbox; // null for inline delivery
};

// Null-safe helpers in the shape of the window-message calls the engines make.
KWResult KWSendMessage(KWWindowHandle window, std::uint32_t message, KWWParam wParam,
                       KWLParam lParam);
bool KWPostMessage(KWWindowHandle window, std::uint32_t message, KWWParam wParam, KWLParam lParam);
