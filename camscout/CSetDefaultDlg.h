#pragma once
#include "CCamSingleDlg.h"

// Restores a camera's defaults: only the user name and password are asked for.
class CSetDefaultDlg : public CCamSingleDlg {
    Q_OBJECT
public:
    CSetDefaultDlg(const CameraRecord& camera, const CCamLanguage& language,
                   QWidget* parent = nullptr);
};
