#pragma once
#include <QDialog>

#include <cstdint>
#include <string>

class CQXStorageDeviceManager;

// What is known of the device playing: its connection, media type, whether it holds
// recordings, its size and the length of its stream.
class CDeviceInfoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdText = 1024;

    struct Facts {
        int index = 0;
        bool ide = false;
        std::string mediaType;
        bool formatted = false;
        std::uint64_t sectors = 0;
        std::uint32_t streamPackets = 0;
    };

    // Shows the device of entry `index` of the manager's list of devices with recordings.
    CDeviceInfoDlg(const CQXStorageDeviceManager& manager, int index, QWidget* parent = nullptr);

    static Facts Read(const CQXStorageDeviceManager& manager, int index);
    // The text of the dialog, lines ending in "\r\n".
    static std::string Text(const Facts& facts);
};
