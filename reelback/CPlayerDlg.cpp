#include "CPlayerDlg.h"

CPlayerDlg::CPlayerDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CPlayerDlg");
    setWindowTitle("Reelplay");
    resize(560, 460);
}
