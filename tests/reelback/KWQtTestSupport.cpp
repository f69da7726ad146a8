#include "KWQtTestSupport.h"

#include <QDialog>
#include <QSettings>

namespace {
void UseSettingsFolder(const std::filesystem::path& folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(folder.string()));
}

const KWTempDir& ProgramSettingsFolder() {
    static KWTempDir folder;
    return folder;
}
} // namespace

QApplication& KWTestApplication() {
    static int argc = 1;
    static char name[] = "test_reelback";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroying it among the static objects crashes Qt.
    static QApplication* application = [] {
        UseSettingsFolder(ProgramSettingsFolder().Path());
        return new QApplication(argc, argv);
    }();
    return *application;
}

KWTempSettings::KWTempSettings() {
    KWTestApplication();
    UseSettingsFolder(m_folder.Path());
}

KWTempSettings::~KWTempSettings() {
    UseSettingsFolder(ProgramSettingsFolder().Path());
}

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
