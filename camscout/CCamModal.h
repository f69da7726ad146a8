#pragma once
#include <QDialog>
#include <functional>

// Runs the finder's dialogs modally. One replaceable service, so tests can fill in and close a
// dialog instead of showing it.
class CCamModal {
public:
    using Runner = std::function<int(QDialog&)>;

    // Returns QDialog::Accepted or QDialog::Rejected.
    static int Run(QDialog& dialog);
    // Replaces the runner (empty: KWRunModal); returns the previous one.
    static Runner SetRunner(Runner runner);
};
