#include "KWMessageBox.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_mutex;

int FirstButtonAnswer(unsigned flags) {
    return (flags & KWMessageBoxFlags::kButtonMask) == KWMessageBoxFlags::kYesNo
               ? KWMessageBoxAnswer::kYes
               : KWMessageBoxAnswer::kOk;
}

KWMessageBoxHandler& Handler() {
    static KWMessageBoxHandler handler = [](const KWMessageBoxRequest& request) {
        std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
        return FirstButtonAnswer(request.flags);
    };
    return handler;
}
} // namespace

int KWMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    KWMessageBoxHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = Handler();
    }
    return handler(KWMessageBoxRequest{text, caption, flags});
}

KWMessageBoxHandler KWSetMessageBoxHandler(KWMessageBoxHandler handler) {
    std::lock_guard lock(g_mutex);
    auto previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
