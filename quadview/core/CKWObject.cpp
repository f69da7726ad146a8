#include "CKWObject.h"

#include "KWMessageTarget.h"

#include <algorithm>

CKWObject::~CKWObject() = default;

int CKWObject::AddListenerWindow(KWWindowHandle window) {
    std::lock_guard lock(m_listenerMutex);
    auto same = [window](const KWListenerEntry& e) { return e.window == window; };
    if (std::any_of(m_listeners.begin(), m_listeners.end(), same))
        return 0;
    m_listeners.push_back(KWListenerEntry{window, nullptr, {}});
    return 1;
}

int CKWObject::AddListenerObject(CKWObject* object) {
    std::lock_guard lock(m_listenerMutex);
    auto same = [object](const KWListenerEntry& e) { return e.object == object; };
    if (std::any_of(m_listeners.begin(), m_listeners.end(), same))
        return 0;
    m_listeners.push_back(KWListenerEntry{nullptr, object, {}});
    return 1;
}

void CKWObject::RemoveListenerWindow(KWWindowHandle window) {
    std::lock_guard lock(m_listenerMutex);
    auto it = std::find_if(m_listeners.begin(), m_listeners.end(),
                           [window](const KWListenerEntry& e) { return e.window == window; });
    if (it != m_listeners.end())
        m_listeners.erase(it);
}

void CKWObject::RemoveListenerObject(CKWObject* object) {
    std::lock_guard lock(m_listenerMutex);
    auto it = std::find_if(m_listeners.begin(), m_listeners.end(),
                           [object](const KWListenerEntry& e) { return e.object == object; });
    if (it != m_listeners.end())
        m_listeners.erase(it);
}

void CKWObject::RemoveAllListeners() {
    std::lock_guard lock(m_listenerMutex);
    m_listeners.clear();
}

KWResult CKWObject::OnListenerSend(std::uint32_t, KWWParam, KWLParam) {
    return 0;
}

void CKWObject::OnListenerPost(std::uint32_t, KWWParam, KWLParam) {}

std::vector<KWListenerEntry> CKWObject::GetListeners() const {
    std::lock_guard lock(m_listenerMutex);
    return m_listeners;
}

// Deliveries run on a copy of the list and without the lock, so a listener may add or remove
// listeners while it handles a notification. An entry with neither window nor object (a null
// window that was added) receives nothing.
KWResult CKWObject::SendToListeners(std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    KWResult result = 0;
    for (const auto& entry : GetListeners()) {
        if (entry.window)
            result = entry.window->Send(message, wParam, lParam);
        else if (entry.object)
            result = entry.object->OnListenerSend(message, wParam, lParam);
    }
    return result;
}

KWResult CKWObject::PostToListeners(std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    KWResult result = 0;
    for (const auto& entry : GetListeners()) {
        if (entry.window) {
            result = entry.window->Post(message, wParam, lParam) ? 1 : 0;
        } else if (entry.object) {
            entry.object->OnListenerPost(message, wParam, lParam);
            result = 0;
        }
    }
    return result;
}
