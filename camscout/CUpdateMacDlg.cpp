#include "CUpdateMacDlg.h"

#include "CCamDialogKit.h"
#include "CCamMacText.h"

#include <QLineEdit>

CUpdateMacDlg::CUpdateMacDlg(const CameraRecord& camera, const CCamLanguage& language,
                             QWidget* parent)
    : CCamSingleDlg(camera, language, CamText::UpdateMacTitle, parent) {
    AddAddressRow();
    const QString mac = QString::fromLocal8Bit(camera.mac);
    AddRow(CamText::OldMac, CCamDialogKit::NewEdit(this, kIdOldMac, mac, false));
    m_newMac = CCamDialogKit::NewEdit(this, kIdNewMac, mac);
    m_newMac->setMaxLength(kMaxTextLength);
    AddRow(CamText::NewMac, m_newMac);
    FinishLayout();
}

bool CUpdateMacDlg::CheckMac(const std::string& mac, const CCamLanguage& language) {
    switch (CCamMacText::Validate(mac)) {
    case CCamMacText::Check::WrongFormat:
        return CCamDialogKit::Refuse(language, CamText::MacFormatError, CamText::UpdateMacCaption);
    case CCamMacText::Check::NotHex:
        return CCamDialogKit::Refuse(language, CamText::MacNotNumber, CamText::UpdateMacCaption);
    default:
        return true;
    }
}

bool CUpdateMacDlg::CheckInput() {
    if (!CheckMac(NewMac(), m_language))
        return false;
    if (NewMac() == m_camera.mac)
        return Refuse(CamText::NoChange, CamText::UpdateMacCaption);
    return true;
}
