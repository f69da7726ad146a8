#pragma once
#include "CKWConfigFileManager.h"

#include <QDialog>

#include <vector>

class CConfigFileManager;
class QCheckBox;
class QLineEdit;
class CIconButton;

// "Setting": edits copies of the viewer's settings - the MYS directory, chosen with Change, and
// the close confirmation. OK becomes available after a change and puts the copies back and
// saves them; Cancel leaves the settings and the file as they were.
class CConfigDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdMysDirectory = 1040;
    static constexpr int kIdChange = 1041;
    static constexpr int kIdShowCloseConfirm = 1043;

    explicit CConfigDlg(CConfigFileManager& config, QWidget* parent = nullptr);

    void accept() override;

private:
    void ChangeDirectory();
    void ToggleCloseConfirm(bool checked);
    // Asks for a folder, starting at `start`; empty when the user cancelled.
    QString ChooseFolder(const QString& start);

    CConfigFileManager& m_config;
    std::vector<KWConfigEntry> m_copies;
    QLineEdit* m_directory = nullptr;
    QCheckBox* m_closeConfirm = nullptr;
    CIconButton* m_ok = nullptr;
};
