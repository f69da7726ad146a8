#pragma once
#include <QDialog>

#include <cstdint>
#include <string>

class CIconButton;
class CQXStorageDeviceManager;
class QListWidget;
class QListWidgetItem;

// Chooses another device with recordings to play. The result is the chosen entry of the
// manager's list of such devices; the device playing now cannot be chosen again.
class CDeviceSelectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdHeading = 1029;
    static constexpr int kIdList = 1028;
    static constexpr int kListFontPixels = 14;

    explicit CDeviceSelectDlg(const CQXStorageDeviceManager& manager, QWidget* parent = nullptr);

    // The list line of entry `index`: its size in decimal megabytes right-aligned in ten
    // characters, marked when it is the device playing.
    static std::string Line(int index, std::uint64_t sectors, bool playing);

    // The chosen entry after OK, -1 otherwise.
    int GetSelected() const { return m_selected; }

private:
    void OnSelectionChanged();
    void OnDoubleClicked(QListWidgetItem* item);
    void accept() override;

    int m_playing;
    int m_selected = -1;
    QListWidget* m_list = nullptr;
    CIconButton* m_ok = nullptr;
};
