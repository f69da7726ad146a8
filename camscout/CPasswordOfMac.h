#pragma once
#include <QDialog>

class CCamLanguage;
class QLineEdit;

// Asks for the access code that unlocks MAC changes. OK closes only with the exact code.
class CPasswordOfMac : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdPassword = 1072;
    static constexpr int kMaxLength = 12;
    static constexpr const char* kAccessCode = "KTRWZLQMB";

    explicit CPasswordOfMac(const CCamLanguage& language, QWidget* parent = nullptr);

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const CCamLanguage& m_language;
    QLineEdit* m_password;
};
