#include "CShowAlter.h"

#include "CCamCameraList.h"
#include "CCamDialogKit.h"
#include "CCamLanguage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kListWidth = 620;
constexpr int kListHeight = 150;
} // namespace

CShowAlter::CShowAlter(const std::vector<CameraRecord>& oldList,
                       const std::vector<CameraRecord>& newList, const CCamLanguage& language,
                       QWidget* parent)
    : QDialog(parent), m_language(language) {
    setWindowTitle(language.Text(CamText::ShowInfoTitle));
    new QVBoxLayout(this);
    m_old = AddList(kIdOldList, CamText::OldData, oldList);
    m_new = AddList(kIdNewList, CamText::NewData, newList);
    connect(m_old, &QTreeWidget::itemClicked, this, [this] { Follow(m_old, m_new); });
    connect(m_new, &QTreeWidget::itemClicked, this, [this] { Follow(m_new, m_old); });
    CCamDialogKit::AddButtons(*this, static_cast<QVBoxLayout*>(layout()), language);
}

CCamCameraList* CShowAlter::AddList(int id, CamText title,
                                    const std::vector<CameraRecord>& cameras) {
    layout()->addWidget(new QLabel(m_language.Text(title), this));
    auto* list = CCamDialogKit::WithId(new CCamCameraList(this), id);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumSize(kListWidth, kListHeight);
    list->SetColumnTitles(m_language);
    list->ShowCameras(cameras);
    layout()->addWidget(list);
    return list;
}

void CShowAlter::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_old->FitColumns();
    m_new->FitColumns();
}

void CShowAlter::Follow(const CCamCameraList* from, CCamCameraList* to) {
    const int row = from->indexOfTopLevelItem(from->currentItem());
    if (QTreeWidgetItem* item = to->topLevelItem(row)) {
        to->setCurrentItem(item);
        item->setSelected(true);
    }
}
