#include "KWQtTestSupport.h"

#include <QDialog>

KWFileDialogAnswers::KWFileDialogAnswers(std::vector<QString> answers)
    : m_answers(answers.begin(), answers.end()) {
    m_previous = KWSetFileDialogHandler([this](QWidget*, const KWFileDialogRequest& request) {
        m_requests.push_back(request);
        if (m_answers.empty()) {
            return QString();
        }
        QString answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
}

KWFileDialogAnswers::~KWFileDialogAnswers() {
    KWSetFileDialogHandler(std::move(m_previous));
}

KWModalScript::KWModalScript(std::function<int(QDialog&)> script) {
    m_previous = KWSetModalHandler([this, script = std::move(script)](QDialog& dialog) {
        m_dialogs.push_back(dialog.objectName());
        return script(dialog);
    });
}

KWModalScript::~KWModalScript() {
    KWSetModalHandler(std::move(m_previous));
}
