#pragma once
#include <functional>

class QDialog;

// Running a dialog modally as one replaceable service: the programs run its event loop, tests
// fill in and close the dialog without showing it. Both on the GUI thread.
using KWModalHandler = std::function<int(QDialog&)>;

// Returns the dialog's result (QDialog::Accepted or QDialog::Rejected); Rejected when the
// dialog's loop ended without an answer because the program is ending.
int KWRunModal(QDialog& dialog);

// Replaces the service; returns the previous handler. An empty handler restores QDialog::exec.
KWModalHandler KWSetModalHandler(KWModalHandler handler);
