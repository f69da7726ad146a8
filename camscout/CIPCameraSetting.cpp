#include "CIPCameraSetting.h"

#include "CCamBatchPlan.h"
#include "CCamDialogKit.h"
#include "CCamLanguage.h"
#include "CCamModal.h"
#include "CCamSingleDlg.h"
#include "CKWDelayedTip.h"
#include "CKWIpAddressEdit.h"
#include "CPasswordOfMac.h"
#include "CShowAlter.h"
#include "CUpdateMacDlg.h"
#include "CUpdatePortDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr const char* kNoParentText = "error";
constexpr const char* kTipColour = "blue";
constexpr int kEditWidth = 150;
// Read-only edits look like what they are: values to read, not to type into.
constexpr const char* kReadOnlyStyle =
    "QLineEdit[readOnly=\"true\"] { background: palette(window); }";

QString FromText(const char* text) {
    return QString::fromLocal8Bit(text);
}

std::string TextOf(const QLineEdit* edit) {
    return edit->text().toLocal8Bit().toStdString();
}
} // namespace

CIPCameraSetting::CIPCameraSetting(const std::vector<CameraRecord>& oldList,
                                   const CCamLanguage& language, QWidget* parent)
    : QDialog(parent), m_oldList(oldList), m_language(language) {
    setWindowTitle(language.Text(CamText::SettingAllTitle));
    BuildControls();
    if (!parent) {
        KWMessageBox(kNoParentText, "", KWMessageBoxFlags::kOk);
        return;
    }
    ShowFirstCamera();
}

QFormLayout* CIPCameraSetting::AddSide(CamText title, int column) {
    auto* box = new QGroupBox(m_language.Text(title), this);
    auto* form = new QFormLayout(box);
    static_cast<QGridLayout*>(layout())->addWidget(box, 0, column);
    return form;
}

CKWIpAddressEdit* CIPCameraSetting::AddAddress(QFormLayout* form, int id, CamText label,
                                               bool enabled) {
    auto* edit = CCamDialogKit::WithId(new CKWIpAddressEdit(this), id);
    edit->setEnabled(enabled);
    edit->setMinimumWidth(kEditWidth);
    CCamDialogKit::AddRow(form, m_language, label, edit);
    return edit;
}

QLineEdit* CIPCameraSetting::AddEdit(QFormLayout* form, int id, CamText label, bool readOnly) {
    QLineEdit* edit = CCamDialogKit::NewEdit(this, id);
    edit->setReadOnly(readOnly);
    edit->setMinimumWidth(kEditWidth);
    CCamDialogKit::AddRow(form, m_language, label, edit);
    return edit;
}

void CIPCameraSetting::BuildControls() {
    setStyleSheet(kReadOnlyStyle);
    auto* grid = new QGridLayout(this);
    QFormLayout* old = AddSide(CamText::OldData, 0);
    m_oldAddress = AddAddress(old, kIdOldAddress, CamText::LabelAddress, false);
    m_oldNetMask = AddAddress(old, kIdOldNetMask, CamText::LabelNetMask, false);
    m_oldGateway = AddAddress(old, kIdOldGateway, CamText::LabelGateway, false);
    m_oldMac = AddEdit(old, kIdOldMac, CamText::LabelMac, true);
    m_oldPort = AddEdit(old, kIdOldPort, CamText::LabelPort, true);
    m_oldName = AddEdit(old, kIdOldName, CamText::LabelName, true);

    QFormLayout* now = AddSide(CamText::NewData, 1);
    m_newAddress = AddAddress(now, kIdNewAddress, CamText::LabelAddress, true);
    m_newNetMask = AddAddress(now, kIdNewNetMask, CamText::LabelNetMask, true);
    m_newGateway = AddAddress(now, kIdNewGateway, CamText::LabelGateway, true);
    m_newMac = CCamDialogKit::NewEdit(this, kIdNewMac, QString(), false);
    m_newMac->setMaxLength(CCamSingleDlg::kMaxTextLength);
    m_newMac->setMinimumWidth(kEditWidth);
    m_macBox =
        CCamDialogKit::WithId(new QCheckBox(m_language.Text(CamText::MacBox), this), kIdMacBox);
    (new CKWDelayedTip(m_macBox, kTipDelayMs, kTipColour))
        ->SetText(m_language.Text(CamText::MacBoxTip));
    connect(m_macBox, &QCheckBox::clicked, this, &CIPCameraSetting::OnMacBoxClicked);
    auto* macRow = new QHBoxLayout;
    macRow->addWidget(m_newMac);
    macRow->addWidget(m_macBox);
    now->addRow(m_language.Text(CamText::LabelMac), macRow);
    m_newPort = AddEdit(now, kIdNewPort, CamText::LabelPort, false);
    m_newPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_newPort));
    m_newName = AddEdit(now, kIdNewName, CamText::LabelName, false);
    m_newName->setMaxLength(kMaxNameLength);

    auto* account = new QFormLayout;
    m_userEdit = CCamDialogKit::NewEdit(this, kIdUser, CCamSingleDlg::kDefaultUser);
    m_userEdit->setMaxLength(CCamSingleDlg::kMaxTextLength);
    m_passwordEdit = CCamDialogKit::NewEdit(this, kIdPassword);
    m_passwordEdit->setMaxLength(CCamSingleDlg::kMaxTextLength);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    CCamDialogKit::AddRow(account, m_language, CamText::LabelUser, m_userEdit);
    CCamDialogKit::AddRow(account, m_language, CamText::LabelPassword, m_passwordEdit);
    grid->addLayout(account, 1, 1);

    auto* buttons = new QVBoxLayout;
    CCamDialogKit::AddButtons(*this, buttons, m_language);
    grid->addLayout(buttons, 2, 0, 1, 2);
}

void CIPCameraSetting::ShowFirstCamera() {
    if (m_oldList.empty())
        return;
    const CameraRecord& first = m_oldList.front();
    for (CKWIpAddressEdit* address : {m_oldAddress, m_newAddress})
        address->SetAddress(first.address);
    for (CKWIpAddressEdit* mask : {m_oldNetMask, m_newNetMask})
        mask->SetAddress(first.netMask);
    for (CKWIpAddressEdit* gateway : {m_oldGateway, m_newGateway})
        gateway->SetAddress(first.gateway);
    for (QLineEdit* mac : {m_oldMac, m_newMac})
        mac->setText(FromText(first.mac));
    for (QLineEdit* port : {m_oldPort, m_newPort})
        port->setText(QString::number(first.port));
    for (QLineEdit* name : {m_oldName, m_newName})
        name->setText(FromText(first.name));
    m_newAddress->setFocus();
}

void CIPCameraSetting::OnMacBoxClicked() {
    if (m_macBox->isChecked()) {
        CPasswordOfMac password(m_language, this);
        if (CCamModal::Run(password) != QDialog::Accepted)
            m_macBox->setChecked(false);
    }
    m_newMac->setEnabled(m_macBox->isChecked());
}

bool CIPCameraSetting::Refuse(CamText text, CamText caption) const {
    return CCamDialogKit::Refuse(m_language, text, caption);
}

void CIPCameraSetting::accept() {
    m_user = TextOf(m_userEdit);
    m_password = TextOf(m_passwordEdit);

    CCamBatchPlan::Input input;
    input.port = CUpdatePortDlg::NumberOf(m_newPort);
    if (input.port < CUpdatePortDlg::kLowestPort || input.port > CUpdatePortDlg::kHighestPort) {
        Refuse(CamText::PortRange, CamText::UpdateHttpPortCaption);
        return;
    }
    input.gateway = m_newGateway->Address();
    input.address = m_newAddress->Address();
    input.mac = TextOf(m_newMac);
    if (!CUpdateMacDlg::CheckMac(input.mac, m_language))
        return;
    input.name = TextOf(m_newName);
    if (input.name.empty()) {
        Refuse(CamText::NewNameEmpty, CamText::NameCaption);
        return;
    }
    input.netMask = m_newNetMask->Address();
    input.changeMac = m_macBox->isChecked();

    m_newList = CCamBatchPlan::BuildNewList(m_oldList, input);
    CShowAlter confirm(m_oldList, m_newList, m_language, this);
    if (CCamModal::Run(confirm) == QDialog::Accepted) {
        QDialog::accept();
        return;
    }
    m_newList.clear();
}
