#pragma once
#include "CCamSingleDlg.h"

// Changes a camera's name; the new name must not be empty or equal to the old one.
class CUpdateNameDlg : public CCamSingleDlg {
    Q_OBJECT
public:
    static constexpr int kIdOldName = 1030;
    static constexpr int kIdNewName = 1031;

    CUpdateNameDlg(const CameraRecord& camera, const CCamLanguage& language,
                   QWidget* parent = nullptr);

    std::string NewName() const { return TextOf(m_newName); }

protected:
    bool CheckInput() override;

private:
    QLineEdit* m_newName;
};
