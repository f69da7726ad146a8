#include "CAboutDlg.h"
#include "CPlayerIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitle = "About Reelplay";
constexpr const char* kText = "Reelplay Version 1.0\nPlayer of .av recordings";
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CAboutDlg");
    setWindowTitle(kTitle);
    auto* icon = new QLabel;
    icon->setPixmap(CPlayerIcons::Icon(CPlayerIcons::kApplication)
                        .pixmap(CPlayerIcons::kSize, CPlayerIcons::kSize));
    auto* text = new QLabel(kText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
