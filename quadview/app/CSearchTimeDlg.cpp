#include "CSearchTimeDlg.h"

#include "CIconButton.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QVBoxLayout>

using QXDialogKit::TextChoice;
using QXDialogKit::TwoDigitRange;

CSearchTimeDlg::CSearchTimeDlg(QWidget* parent, const QDate& today) : QDialog(parent) {
    setObjectName("198");
    setWindowTitle("Search Time");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_date = QXDialogKit::Named(new QDateEdit(today, this), kIdDate);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat("yyyy/MM/dd");
    form->addRow("Date:", m_date);
    m_halfDay = TextChoice(*this, kIdHalfDay, {"AM", "PM"}, "AM");
    form->addRow("", m_halfDay);
    m_hour = TextChoice(*this, kIdHour, TwoDigitRange(0, 11), "06");
    form->addRow("Hour:", m_hour);
    m_minute = TextChoice(*this, kIdMinute, TwoDigitRange(0, 59), "30");
    form->addRow("Minute:", m_minute);
    layout->addLayout(form);
    layout->addLayout(
        QXDialogKit::ButtonRow({QXDialogKit::OkButton(*this), QXDialogKit::CancelButton(*this)}));
}

CSearchTimeDlg::Choice CSearchTimeDlg::GetChoice() const {
    return {m_date->date(), m_halfDay->currentText(), m_hour->currentText(),
            m_minute->currentText()};
}
