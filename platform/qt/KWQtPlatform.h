#pragma once
#include "KWMessageTarget.h"

#include <functional>

// Connects the platform services to Qt: messages for the GUI thread's windows are delivered by
// its event loop, message boxes become real dialogs shown on the GUI thread (a worker's box
// waits for the GUI thread like a sent message), and text in display surfaces is drawn with
// Qt's fonts. Call once, on the GUI thread, after the QApplication exists.
void KWInstallQtPlatform();

// A window's message target: the window handles its messages in the given function.
class KWQtWindowTarget : public KWMessageTarget {
public:
    using Handler = std::function<KWResult(std::uint32_t, KWWParam, KWLParam)>;
    explicit KWQtWindowTarget(Handler handler) : m_handler(std::move(handler)) {}

protected:
    KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam) override {
        return m_handler ? m_handler(message, wParam, lParam) : 0;
    }

private:
    Handler m_handler;
};
