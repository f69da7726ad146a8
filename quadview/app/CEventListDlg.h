#pragma once
#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

// The recorder's list of recording spans, one line each. OK and Cancel both end it with the
// selected line's index (-1 when none is selected); the caller decides what to do with it.
class CEventListDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdList = 1055;

    // `lines` in UTF-8, in listing order.
    explicit CEventListDlg(const std::vector<std::string>& lines, QWidget* parent = nullptr);

    int GetSelected() const { return m_selected; }
    void done(int result) override;

private:
    QListWidget* m_list = nullptr;
    int m_selected = -1;
};
