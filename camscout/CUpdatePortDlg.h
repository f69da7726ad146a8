#pragma once
#include "CCamSingleDlg.h"

// Changes a camera's HTTP port; the new port, starting empty, must lie in 1-65535.
class CUpdatePortDlg : public CCamSingleDlg {
    Q_OBJECT
public:
    static constexpr int kIdOldPort = 1035;
    static constexpr int kIdNewPort = 1036;
    static constexpr int kLowestPort = 1;
    static constexpr int kHighestPort = 65535;

    CUpdatePortDlg(const CameraRecord& camera, const CCamLanguage& language,
                   QWidget* parent = nullptr);

    // The entered port read as a signed number; 0 when the text is no number.
    int NewPort() const;
    static int NumberOf(const QLineEdit* edit);

protected:
    bool CheckInput() override;

private:
    QLineEdit* m_newPort;
};
