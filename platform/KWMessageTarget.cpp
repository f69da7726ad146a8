#include "KWMessageTarget.h"

KWMessageTarget::KWMessageTarget(Delivery delivery)
    : m_mailbox(delivery == Delivery::OwnerThread ? KWMailbox::ForCurrentThread() : nullptr) {}

KWMessageTarget::~KWMessageTarget() {
    if (m_mailbox)
        m_mailbox->Forget(this);
}

KWResult KWMessageTarget::Send(std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    if (!m_mailbox)
        return OnMessage(message, wParam, lParam);
    return m_mailbox->Send(this, [=, this] { return OnMessage(message, wParam, lParam); });
}

bool KWMessageTarget::Post(std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    if (!m_mailbox) {
        OnMessage(message, wParam, lParam);
        return true;
    }
    return m_mailbox->Post(this, [=, this] { OnMessage(message, wParam, lParam); });
}

KWResult KWSendMessage(KWWindowHandle window, std::uint32_t message, KWWParam wParam,
                       KWLParam lParam) {
    return window ? window->Send(message, wParam, lParam) : 0;
}

bool KWPostMessage(KWWindowHandle window, std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    return window ? window->Post(message, wParam, lParam) : false;
}
