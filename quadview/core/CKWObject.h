#pragma once
#include "KWTypes.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CKWObject;

// One listener: a window (object null) or an object (window null).
struct KWListenerEntry {
    KWWindowHandle window = nullptr;
    CKWObject* object = nullptr;
    std::array<std::uint32_t, 4> reserved{};
};

// Root of the in-house classes: carries the class name that fatal error reports print and the
// list of listeners that receive its notifications.
class CKWObject {
public:
    CKWObject() = default;
    virtual ~CKWObject();
    CKWObject(const CKWObject&) = delete;
    CKWObject& operator=(const CKWObject&) = delete;

    const std::string& GetClassName() const { return m_className; }

    // Add returns 1 when added, 0 when an entry with that handle or object is already there.
    virtual int AddListenerWindow(KWWindowHandle window);
    virtual int AddListenerObject(CKWObject* object);
    virtual void RemoveListenerWindow(KWWindowHandle window);
    virtual void RemoveListenerObject(CKWObject* object);
    virtual void RemoveAllListeners();
    virtual KWResult OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam lParam);
    virtual void OnListenerPost(std::uint32_t message, KWWParam wParam, KWLParam lParam);

    // Deliver to every listener in insertion order: windows get a sent (synchronous) or posted
    // message, objects their OnListenerSend / OnListenerPost. Returns the last delivery's result.
    KWResult SendToListeners(std::uint32_t message, KWWParam wParam, KWLParam lParam);
    KWResult PostToListeners(std::uint32_t message, KWWParam wParam, KWLParam lParam);

    std::vector<KWListenerEntry> GetListeners() const;

protected:
    std::string m_className;

private:
    mutable std::mutex m_listenerMutex;
    std::vector<KWListenerEntry> m_listeners;
};
