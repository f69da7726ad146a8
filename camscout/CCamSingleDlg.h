#pragma once
#include "CCamStringTable.h"
#include "CameraRecord.h"

#include <QDialog>
#include <string>

class CCamLanguage;
class QFormLayout;
class QLineEdit;
class QVBoxLayout;

// Base of the dialogs that change one camera: a copy of the camera, its own rows, then the user
// name (starting as "admin") and password, OK and Cancel. OK runs the dialog's checks in order;
// a failed check reports and keeps the dialog open with its entries.
class CCamSingleDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdUser = 1019;
    static constexpr int kIdPassword = 1020;
    static constexpr int kIdOk = 1021;
    static constexpr int kIdCancel = 1022;
    static constexpr int kIdAddress = 1028;
    static constexpr int kMaxTextLength = 31;
    static constexpr const char* kDefaultUser = "admin";

    std::string User() const;
    std::string Password() const;

    void accept() override;

protected:
    CCamSingleDlg(const CameraRecord& camera, const CCamLanguage& language, CamText title,
                  QWidget* parent);

    // The camera's address in the disabled address control, as the first row.
    void AddAddressRow();
    void AddRow(CamText label, QWidget* control);
    void AddWideRow(QWidget* control);
    // The user name and password rows and the buttons; call after the dialog's own rows.
    void FinishLayout();
    // The dialog's checks; false (after reporting) keeps it open.
    virtual bool CheckInput() { return true; }
    bool Refuse(CamText text, CamText caption) const;

    static std::string TextOf(const QLineEdit* edit);

    const CameraRecord m_camera;
    const CCamLanguage& m_language;

private:
    QVBoxLayout* m_layout = nullptr;
    QFormLayout* m_form = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};
