#include "KWTestApplication.h"

#include "KWQtTextPainter.h"

#include <QSettings>

#include <cerrno>
#include <cstdlib>

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
    static char* argv[] = {program_invocation_name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        UseSettingsFolder(ProgramSettingsFolder().Path());
        auto* made = new QApplication(argc, argv);
        KWInstallQtTextPainter();
        return made;
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
