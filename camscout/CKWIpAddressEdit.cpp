#include "CKWIpAddressEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {
constexpr int kFields = 4;
constexpr int kHighestNumber = 255;
const char* const kPattern = R"(^(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)?)"
                             R"((\.(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)?){0,3}$)";
} // namespace

CKWIpAddressEdit::CKWIpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new QRegularExpressionValidator(QRegularExpression(kPattern), this));
}

void CKWIpAddressEdit::SetAddress(const char* address) {
    setText(QString::fromLocal8Bit(address).section(':', 0, 0));
}

std::string CKWIpAddressEdit::Address() const {
    const QStringList fields = text().split('.');
    std::string quad;
    for (int i = 0; i < kFields; ++i) {
        const int number = i < fields.size() ? fields[i].toInt() : 0;
        if (i > 0)
            quad += '.';
        quad += std::to_string(number < 0 || number > kHighestNumber ? 0 : number);
    }
    return quad;
}
