#pragma once
#include "KWFileDialog.h"
#include "KWModalDialog.h"
#include "KWProcessEventsUntil.h"
#include "KWTestApplication.h"

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

// QString in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Answers file and folder dialogs for its lifetime with the given paths, in order (empty once
// they run out: cancelled), and records what was asked.
class KWFileDialogAnswers {
public:
    explicit KWFileDialogAnswers(std::vector<QString> answers = {});
    ~KWFileDialogAnswers();
    KWFileDialogAnswers(const KWFileDialogAnswers&) = delete;
    KWFileDialogAnswers& operator=(const KWFileDialogAnswers&) = delete;

    const std::vector<KWFileDialogRequest>& Requests() const { return m_requests; }

private:
    std::deque<QString> m_answers;
    std::vector<KWFileDialogRequest> m_requests;
    KWFileDialogHandler m_previous;
};

// Runs modal dialogs for its lifetime with the given script instead of showing them: the script
// fills in the dialog and returns its result. Records the object names of the dialogs run.
class KWModalScript {
public:
    explicit KWModalScript(std::function<int(QDialog&)> script);
    ~KWModalScript();
    KWModalScript(const KWModalScript&) = delete;
    KWModalScript& operator=(const KWModalScript&) = delete;

    const std::vector<QString>& Dialogs() const { return m_dialogs; }

private:
    std::vector<QString> m_dialogs;
    KWModalHandler m_previous;
};
