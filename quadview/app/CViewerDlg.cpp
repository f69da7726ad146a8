#include "CViewerDlg.h"

namespace {
// The version strings of the program's string table.
const char* const kVersionMajor = "3";
const char* const kVersionMinor = "8";
const char* const kVersionBuild = "0";
} // namespace

CViewerDlg::CViewerDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CViewerDlg");
    setWindowTitle(WindowTitle());
    resize(640, 520);
}

QString CViewerDlg::WindowTitle() {
    return QString("PC Viewer - version %1.%2.%3").arg(kVersionMajor, kVersionMinor, kVersionBuild);
}
