#include "CAboutDlg.h"

#include "CCamDialogKit.h"
#include "CCamLanguage.h"

#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const CCamLanguage& language, QWidget* parent) : QDialog(parent) {
    setWindowTitle(language.Text(CamText::AboutTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(language.Text(CamText::AboutProduct), this));
    auto* purpose = new QLabel(language.Text(CamText::AboutPurpose), this);
    purpose->setWordWrap(true);
    layout->addWidget(purpose);
    CCamDialogKit::AddButtons(*this, layout, language, CCamDialogKit::kIdOk,
                              CCamDialogKit::kNoButton);
}
