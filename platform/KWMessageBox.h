#pragma once
#include <functional>
#include <string>

// Message boxes as one replaceable service: the programs show real dialogs, tests record them.
// Button and icon flags and the answers keep the values the classes were written against.
namespace KWMessageBoxFlags {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kYesNo = 0x4;
constexpr unsigned kButtonMask = 0xF;
constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kIconMask = 0xF0;
} // namespace KWMessageBoxFlags

namespace KWMessageBoxAnswer {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kYes = 6;
constexpr int kNo = 7;
} // namespace KWMessageBoxAnswer

struct KWMessageBoxRequest {
    std::string text;
    std::string caption;
    unsigned flags = 0;
};

using KWMessageBoxHandler = std::function<int(const KWMessageBoxRequest&)>;

// Shows a message box (blocking the calling thread only) and returns the answer.
int KWMessageBox(const std::string& text, const std::string& caption, unsigned flags);

// Replaces the service; returns the previous handler. The default writes to standard error and
// answers with the first button.
KWMessageBoxHandler KWSetMessageBoxHandler(KWMessageBoxHandler handler);
