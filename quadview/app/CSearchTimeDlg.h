#pragma once
#include <QDate>
#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;

// Asks for the date and time to search for: a date, "AM" or "PM", an hour "00"-"11" and a
// minute "00"-"59". The texts are returned as chosen; the time search turns them into a time.
class CSearchTimeDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdDate = 1045;
    static constexpr int kIdHalfDay = 1044;
    static constexpr int kIdHour = 1052;
    static constexpr int kIdMinute = 1053;

    struct Choice {
        QDate date;
        QString halfDay; // "AM" or "PM"
        QString hour;    // "00"-"11"
        QString minute;  // "00"-"59"
    };

    // The date is preset to `today` (the current date by default).
    explicit CSearchTimeDlg(QWidget* parent = nullptr, const QDate& today = QDate::currentDate());

    Choice GetChoice() const;

private:
    QDateEdit* m_date = nullptr;
    QComboBox* m_halfDay = nullptr;
    QComboBox* m_hour = nullptr;
    QComboBox* m_minute = nullptr;
};
