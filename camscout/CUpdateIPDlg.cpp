#include "CUpdateIPDlg.h"

#include "CCamDialogKit.h"
#include "CKWIpAddressEdit.h"

CUpdateIPDlg::CUpdateIPDlg(const CameraRecord& camera, const CCamLanguage& language,
                           QWidget* parent)
    : CCamSingleDlg(camera, language, CamText::UpdateIpTitle, parent) {
    m_oldAddress = AddAddress(kIdOldAddress, CamText::OldAddress, camera.address, false);
    m_oldNetMask = AddAddress(kIdOldNetMask, CamText::OldNetMask, camera.netMask, false);
    m_oldGateway = AddAddress(kIdOldGateway, CamText::OldGateway, camera.gateway, false);
    m_newAddress = AddAddress(kIdNewAddress, CamText::NewAddress, camera.address, true);
    m_newNetMask = AddAddress(kIdNewNetMask, CamText::NewNetMask, camera.netMask, true);
    m_newGateway = AddAddress(kIdNewGateway, CamText::NewGateway, camera.gateway, true);
    FinishLayout();
}

CKWIpAddressEdit* CUpdateIPDlg::AddAddress(int id, CamText label, const char* value, bool enabled) {
    auto* edit = CCamDialogKit::WithId(new CKWIpAddressEdit(this), id);
    edit->SetAddress(value);
    edit->setEnabled(enabled);
    AddRow(label, edit);
    return edit;
}

std::string CUpdateIPDlg::NewAddress() const {
    return m_newAddress->Address();
}

std::string CUpdateIPDlg::NewNetMask() const {
    return m_newNetMask->Address();
}

std::string CUpdateIPDlg::NewGateway() const {
    return m_newGateway->Address();
}

bool CUpdateIPDlg::CheckInput() {
    if (NewAddress() == m_oldAddress->Address() && NewNetMask() == m_oldNetMask->Address() &&
        NewGateway() == m_oldGateway->Address())
        return Refuse(CamText::NoChange, CamText::UpdateIpCaption);
    return true;
}
