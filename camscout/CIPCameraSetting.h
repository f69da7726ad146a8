#pragma once
#include "CCamStringTable.h"
#include "CameraRecord.h"

#include <QDialog>
#include <string>
#include <vector>

class CCamLanguage;
class CKWIpAddressEdit;
class QCheckBox;
class QFormLayout;
class QLineEdit;

// Setting All: the first camera's values on the left ("Old Data"), the values to give it on the
// right ("New Data"). OK checks the entries, builds the new list for all cameras and asks for
// confirmation with the two lists side by side. MAC changes are unlocked by the MAC box and the
// access code.
class CIPCameraSetting : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOldNetMask = 1055;
    static constexpr int kIdOldGateway = 1056;
    static constexpr int kIdOldPort = 1057;
    static constexpr int kIdOldMac = 1058;
    static constexpr int kIdOldName = 1059;
    static constexpr int kIdOldAddress = 1060;
    static constexpr int kIdNewNetMask = 1061;
    static constexpr int kIdNewGateway = 1062;
    static constexpr int kIdNewPort = 1063;
    static constexpr int kIdNewMac = 1064;
    static constexpr int kIdNewName = 1065;
    static constexpr int kIdNewAddress = 1066;
    static constexpr int kIdUser = 1067;
    static constexpr int kIdPassword = 1068;
    static constexpr int kIdMacBox = 1073;
    static constexpr int kMaxNameLength = 39;
    static constexpr int kTipDelayMs = 150;

    CIPCameraSetting(const std::vector<CameraRecord>& oldList, const CCamLanguage& language,
                     QWidget* parent);

    const std::vector<CameraRecord>& OldList() const { return m_oldList; }
    // Empty until the user confirmed a new list.
    const std::vector<CameraRecord>& NewList() const { return m_newList; }
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }

    void accept() override;

private:
    void BuildControls();
    void ShowFirstCamera();
    void OnMacBoxClicked();
    QFormLayout* AddSide(CamText title, int column);
    CKWIpAddressEdit* AddAddress(QFormLayout* form, int id, CamText label, bool enabled);
    QLineEdit* AddEdit(QFormLayout* form, int id, CamText label, bool readOnly);
    bool Refuse(CamText text, CamText caption) const;

    const std::vector<CameraRecord> m_oldList;
    std::vector<CameraRecord> m_newList;
    const CCamLanguage& m_language;
    std::string m_user;
    std::string m_password;

    CKWIpAddressEdit* m_oldAddress = nullptr;
    CKWIpAddressEdit* m_oldNetMask = nullptr;
    CKWIpAddressEdit* m_oldGateway = nullptr;
    QLineEdit* m_oldMac = nullptr;
    QLineEdit* m_oldPort = nullptr;
    QLineEdit* m_oldName = nullptr;
    CKWIpAddressEdit* m_newAddress = nullptr;
    CKWIpAddressEdit* m_newNetMask = nullptr;
    CKWIpAddressEdit* m_newGateway = nullptr;
    QLineEdit* m_newMac = nullptr;
    QLineEdit* m_newPort = nullptr;
    QLineEdit* m_newName = nullptr;
    QLineEdit* m_userEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QCheckBox* m_macBox = nullptr;
};
