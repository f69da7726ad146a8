#include "CSetDefaultDlg.h"

#include "CCamLanguage.h"

#include <QLabel>

CSetDefaultDlg::CSetDefaultDlg(const CameraRecord& camera, const CCamLanguage& language,
                               QWidget* parent)
    : CCamSingleDlg(camera, language, CamText::SetDefaultTitle, parent) {
    AddAddressRow();
    AddWideRow(new QLabel(language.Text(CamText::SetDefaultNote), this));
    FinishLayout();
}
