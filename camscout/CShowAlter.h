#pragma once
#include "CCamStringTable.h"
#include "CameraRecord.h"

#include <QDialog>
#include <vector>

class CCamCameraList;
class CCamLanguage;

// Shows the old and the new camera list side by side for confirmation. Selecting a row in
// either list selects the row with the same index in the other.
class CShowAlter : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOldList = 1000;
    static constexpr int kIdNewList = 1001;

    CShowAlter(const std::vector<CameraRecord>& oldList, const std::vector<CameraRecord>& newList,
               const CCamLanguage& language, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    CCamCameraList* AddList(int id, CamText title, const std::vector<CameraRecord>& cameras);
    static void Follow(const CCamCameraList* from, CCamCameraList* to);

    const CCamLanguage& m_language;
    CCamCameraList* m_old;
    CCamCameraList* m_new;
};
