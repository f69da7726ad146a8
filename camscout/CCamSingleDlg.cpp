#include "CCamSingleDlg.h"

#include "CCamDialogKit.h"
#include "CCamLanguage.h"
#include "CKWIpAddressEdit.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CCamSingleDlg::CCamSingleDlg(const CameraRecord& camera, const CCamLanguage& language,
                             CamText title, QWidget* parent)
    : QDialog(parent), m_camera(camera), m_language(language) {
    setWindowTitle(language.Text(title));
    m_layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    m_layout->addLayout(m_form);
}

void CCamSingleDlg::AddAddressRow() {
    auto* address = CCamDialogKit::WithId(new CKWIpAddressEdit(this), kIdAddress);
    address->SetAddress(m_camera.address);
    address->setEnabled(false);
    AddRow(CamText::LabelAddress, address);
}

void CCamSingleDlg::AddRow(CamText label, QWidget* control) {
    CCamDialogKit::AddRow(m_form, m_language, label, control);
}

void CCamSingleDlg::AddWideRow(QWidget* control) {
    m_form->addRow(control);
}

void CCamSingleDlg::FinishLayout() {
    m_user = CCamDialogKit::NewEdit(this, kIdUser, kDefaultUser);
    m_user->setMaxLength(kMaxTextLength);
    m_password = CCamDialogKit::NewEdit(this, kIdPassword);
    m_password->setMaxLength(kMaxTextLength);
    m_password->setEchoMode(QLineEdit::Password);
    AddRow(CamText::LabelUser, m_user);
    AddRow(CamText::LabelPassword, m_password);
    CCamDialogKit::AddButtons(*this, m_layout, m_language, kIdOk, kIdCancel);
}

void CCamSingleDlg::accept() {
    if (CheckInput())
        QDialog::accept();
}

bool CCamSingleDlg::Refuse(CamText text, CamText caption) const {
    return CCamDialogKit::Refuse(m_language, text, caption);
}

std::string CCamSingleDlg::TextOf(const QLineEdit* edit) {
    return edit->text().toLocal8Bit().toStdString();
}

std::string CCamSingleDlg::User() const {
    return TextOf(m_user);
}

std::string CCamSingleDlg::Password() const {
    return TextOf(m_password);
}
