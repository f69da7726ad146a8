#include "CPasswordOfMac.h"

#include "CCamDialogKit.h"
#include "CCamLanguage.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CPasswordOfMac::CPasswordOfMac(const CCamLanguage& language, QWidget* parent)
    : QDialog(parent), m_language(language) {
    setWindowTitle(language.Text(CamText::PasswordTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(language.Text(CamText::PasswordPrompt), this));
    m_password = CCamDialogKit::NewEdit(this, kIdPassword);
    m_password->setMaxLength(kMaxLength);
    m_password->setEchoMode(QLineEdit::Password);
    layout->addWidget(m_password);
    CCamDialogKit::AddButtons(*this, layout, language);
}

void CPasswordOfMac::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_password->setFocus();
}

void CPasswordOfMac::accept() {
    const unsigned warning = KWMessageBoxFlags::kIconExclamation;
    const QString code = m_password->text();
    if (code.isEmpty()) {
        CCamDialogKit::Refuse(m_language, CamText::InputPassword, CamText::Notification, warning);
        return;
    }
    if (code != QLatin1String(kAccessCode)) {
        CCamDialogKit::Refuse(m_language, CamText::PasswordWrong, CamText::Notification, warning);
        return;
    }
    QDialog::accept();
}
