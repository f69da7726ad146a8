#pragma once
#include "CCamSingleDlg.h"

// Changes a camera's MAC address. The new MAC must be six hexadecimal groups joined by '-' and
// differ from the old one.
class CUpdateMacDlg : public CCamSingleDlg {
    Q_OBJECT
public:
    static constexpr int kIdOldMac = 1023;
    static constexpr int kIdNewMac = 1024;

    CUpdateMacDlg(const CameraRecord& camera, const CCamLanguage& language,
                  QWidget* parent = nullptr);

    std::string NewMac() const { return TextOf(m_newMac); }

    // The MAC checks with their messages, caption "Update Mac"; shared with the batch dialog.
    static bool CheckMac(const std::string& mac, const CCamLanguage& language);

protected:
    bool CheckInput() override;

private:
    QLineEdit* m_newMac;
};
