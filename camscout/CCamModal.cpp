#include "CCamModal.h"

#include "KWModalDialog.h"

#include <utility>

namespace {
CCamModal::Runner& CurrentRunner() {
    static CCamModal::Runner runner;
    return runner;
}
} // namespace

int CCamModal::Run(QDialog& dialog) {
    const Runner& runner = CurrentRunner();
    return runner ? runner(dialog) : KWRunModal(dialog);
}

CCamModal::Runner CCamModal::SetRunner(Runner runner) {
    return std::exchange(CurrentRunner(), std::move(runner));
}
