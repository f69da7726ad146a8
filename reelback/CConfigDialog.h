#pragma once
#include <QDialog>

class QLineEdit;

// "Setting": the snapshot folder, typed or chosen with Browse, stored on OK.
class CConfigDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdFolder = 1020;
    static constexpr int kIdBrowse = 1021;

    explicit CConfigDialog(QWidget* parent = nullptr);

    QString FolderText() const;

    void accept() override;

private:
    void Browse();

    QLineEdit* m_folder = nullptr;
};
