#include "CCamCameraList.h"

#include "CCamLanguage.h"

#include <QHeaderView>
#include <cstring>

namespace {
constexpr CamText kTitles[CCamCameraList::kColumnCount] = {
    CamText::ColumnName, CamText::ColumnMac, CamText::ColumnIp, CamText::ColumnNetMask,
    CamText::ColumnGateway};
constexpr int kWidthOffsets[CCamCameraList::kColumnCount] = {-10, 0, 10, 0, 0};

// Camera texts are 8-bit text in the system's code page.
QString FromText(const char* text) {
    return QString::fromLocal8Bit(text);
}
} // namespace

CCamCameraList::CCamCameraList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setColumnCount(kColumnCount);
    header()->setStretchLastSection(false);
}

void CCamCameraList::SetColumnTitles(const CCamLanguage& language) {
    QStringList titles;
    for (CamText title : kTitles)
        titles << language.Text(title);
    setHeaderLabels(titles);
}

void CCamCameraList::FitColumns() {
    const int fifth = contentsRect().width() / kColumnCount;
    for (int column = 0; column < kColumnCount; ++column)
        setColumnWidth(column, fifth + kWidthOffsets[column]);
}

void CCamCameraList::ShowCameras(const std::vector<CameraRecord>& cameras) {
    while (m_shown.size() > cameras.size()) {
        delete takeTopLevelItem(static_cast<int>(m_shown.size()) - 1);
        m_shown.pop_back();
    }
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const CameraRecord& camera = cameras[i];
        QTreeWidgetItem* row = nullptr;
        if (i < m_shown.size()) {
            if (std::memcmp(&m_shown[i], &camera, sizeof(camera)) == 0)
                continue;
            row = topLevelItem(static_cast<int>(i));
            m_shown[i] = camera;
        } else {
            row = new QTreeWidgetItem(this);
            m_shown.push_back(camera);
        }
        const char* texts[kColumnCount] = {camera.name, camera.mac, camera.address, camera.netMask,
                                           camera.gateway};
        for (int column = 0; column < kColumnCount; ++column)
            row->setText(column, FromText(texts[column]));
    }
}
