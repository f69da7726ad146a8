#include "CFinderApp.h"

#include "CFinderDlg.h"
#include "KWQtPlatform.h"
#include "KWSignalWatcher.h"

namespace {
constexpr const char* kApplicationName = "Camscout";
} // namespace

CFinderApp::CFinderApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(kApplicationName);
    KWInstallQtPlatform();
}

int CFinderApp::Run(const CamEndpoints& endpoints) {
    KWSignalWatcher signalWatcher;
    CFinderDlg window(endpoints);
    window.show();
    return signalWatcher.Run([] { return exec(); }, [&window] { window.close(); });
}
