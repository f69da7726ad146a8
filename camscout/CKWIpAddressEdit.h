#pragma once
#include <QLineEdit>
#include <string>

// An IP address control: four numbers 0-255 separated by dots. A port suffix in the text it is
// given is not shown; Address() reads the dotted quad back with empty fields as 0.
class CKWIpAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CKWIpAddressEdit(QWidget* parent = nullptr);

    void SetAddress(const char* address);
    std::string Address() const;
};
