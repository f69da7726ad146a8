#include "CFinderApp.h"

#include "CFinderDlg.h"
#include "KWQtPlatform.h"

namespace {
constexpr const char* kApplicationName = "Camscout";
} // namespace

CFinderApp::CFinderApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(kApplicationName);
    KWInstallQtPlatform();
}

int CFinderApp::Run(const CamEndpoints& endpoints) {
    CFinderDlg window(endpoints);
    window.show();
    return exec();
}
