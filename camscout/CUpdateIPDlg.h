#pragma once
#include "CCamSingleDlg.h"

class CKWIpAddressEdit;

// Changes a camera's address, net mask and gateway. Refuses when nothing changed.
class CUpdateIPDlg : public CCamSingleDlg {
    Q_OBJECT
public:
    static constexpr int kIdOldAddress = 1013;
    static constexpr int kIdNewAddress = 1014;
    static constexpr int kIdNewGateway = 1015;
    static constexpr int kIdOldNetMask = 1016;
    static constexpr int kIdOldGateway = 1017;
    static constexpr int kIdNewNetMask = 1018;

    CUpdateIPDlg(const CameraRecord& camera, const CCamLanguage& language,
                 QWidget* parent = nullptr);

    std::string NewAddress() const;
    std::string NewNetMask() const;
    std::string NewGateway() const;

protected:
    bool CheckInput() override;

private:
    CKWIpAddressEdit* AddAddress(int id, CamText label, const char* value, bool enabled);

    CKWIpAddressEdit* m_oldAddress;
    CKWIpAddressEdit* m_oldNetMask;
    CKWIpAddressEdit* m_oldGateway;
    CKWIpAddressEdit* m_newAddress;
    CKWIpAddressEdit* m_newNetMask;
    CKWIpAddressEdit* m_newGateway;
};
