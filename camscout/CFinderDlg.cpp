#include "CFinderDlg.h"

CFinderDlg::CFinderDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CFinderDlg");
    setWindowTitle("CamScout - Halvern");
    resize(620, 420);
}
