#pragma once
#include <QDialog>
#include <QString>

class QComboBox;

// Sets the steps of the time search's hour and minute jumps: hours "01", "02", "06", "12",
// minutes "05", "10", "30".
class CSearchStepDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdHourStep = 1044;
    static constexpr int kIdMinuteStep = 1052;

    explicit CSearchStepDlg(QWidget* parent = nullptr);

    QString GetHourStep() const;
    QString GetMinuteStep() const;

private:
    QComboBox* m_hourStep = nullptr;
    QComboBox* m_minuteStep = nullptr;
};
