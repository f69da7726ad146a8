#include "CCamModal.h"

#include <utility>

namespace {
CCamModal::Runner& CurrentRunner() {
    static CCamModal::Runner runner;
    return runner;
}
} // namespace

int CCamModal::Run(QDialog& dialog) {
    const Runner& runner = CurrentRunner();
    return runner ? runner(dialog) : dialog.exec();
}

CCamModal::Runner CCamModal::SetRunner(Runner runner) {
    return std::exchange(CurrentRunner(), std::move(runner));
}
