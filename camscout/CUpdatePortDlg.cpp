#include "CUpdatePortDlg.h"

#include "CCamDialogKit.h"

#include <QLineEdit>

CUpdatePortDlg::CUpdatePortDlg(const CameraRecord& camera, const CCamLanguage& language,
                               QWidget* parent)
    : CCamSingleDlg(camera, language, CamText::UpdatePortTitle, parent) {
    AddAddressRow();
    AddRow(CamText::OldPort,
           CCamDialogKit::NewEdit(this, kIdOldPort, QString::number(camera.port), false));
    m_newPort = CCamDialogKit::NewEdit(this, kIdNewPort);
    AddRow(CamText::NewPort, m_newPort);
    FinishLayout();
}

int CUpdatePortDlg::NumberOf(const QLineEdit* edit) {
    bool ok = false;
    const int number = edit->text().trimmed().toInt(&ok);
    return ok ? number : 0;
}

int CUpdatePortDlg::NewPort() const {
    return NumberOf(m_newPort);
}

bool CUpdatePortDlg::CheckInput() {
    const int port = NewPort();
    if (port < kLowestPort || port > kHighestPort)
        return Refuse(CamText::PortRange, CamText::UpdateHttpPortCaption);
    return true;
}
