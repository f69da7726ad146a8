#include "CUpdateNameDlg.h"

#include "CCamDialogKit.h"

#include <QLineEdit>

CUpdateNameDlg::CUpdateNameDlg(const CameraRecord& camera, const CCamLanguage& language,
                               QWidget* parent)
    : CCamSingleDlg(camera, language, CamText::UpdateNameTitle, parent) {
    AddAddressRow();
    const QString name = QString::fromLocal8Bit(camera.name);
    AddRow(CamText::OldName, CCamDialogKit::NewEdit(this, kIdOldName, name, false));
    m_newName = CCamDialogKit::NewEdit(this, kIdNewName, name);
    m_newName->setMaxLength(kMaxTextLength);
    AddRow(CamText::NewName, m_newName);
    FinishLayout();
}

bool CUpdateNameDlg::CheckInput() {
    const std::string name = NewName();
    if (name.empty())
        return Refuse(CamText::NewNameEmpty, CamText::UpdateNameCaption);
    if (name == m_camera.name)
        return Refuse(CamText::NoChange, CamText::UpdateNameCaption);
    return true;
}
