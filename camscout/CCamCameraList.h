#pragma once
#include "CameraRecord.h"

#include <QTreeWidget>
#include <vector>

class CCamLanguage;

// A camera list in report view with full-row selection: columns name, MAC, address (with its
// port suffix), net mask and gateway, one row per camera in order.
class CCamCameraList : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 5;
    static constexpr int kAddressColumn = 2;

    explicit CCamCameraList(QWidget* parent = nullptr);

    void SetColumnTitles(const CCamLanguage& language);
    // With w a fifth of the list's client width: w - 10, w, w + 10, w, w.
    void FitColumns();
    // Shows exactly these cameras. Rows whose camera is unchanged are kept, so a growing list does
    // not re-create every row for each camera that arrives.
    void ShowCameras(const std::vector<CameraRecord>& cameras);

private:
    std::vector<CameraRecord> m_shown; // the cameras the rows show, in row order
};
