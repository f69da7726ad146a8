#include "CSearchStepDlg.h"

#include "CIconButton.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

CSearchStepDlg::CSearchStepDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("202");
    setWindowTitle("Setting Search Time");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_hourStep = QXDialogKit::TextChoice(*this, kIdHourStep, {"01", "02", "06", "12"}, "01");
    form->addRow("Setting Hour:", m_hourStep);
    m_minuteStep = QXDialogKit::TextChoice(*this, kIdMinuteStep, {"05", "10", "30"}, "05");
    form->addRow("Setting Minute:", m_minuteStep);
    layout->addLayout(form);
    layout->addLayout(
        QXDialogKit::ButtonRow({QXDialogKit::OkButton(*this), QXDialogKit::CancelButton(*this)}));
}

QString CSearchStepDlg::GetHourStep() const {
    return m_hourStep->currentText();
}

QString CSearchStepDlg::GetMinuteStep() const {
    return m_minuteStep->currentText();
}
