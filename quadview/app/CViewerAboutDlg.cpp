#include "CViewerAboutDlg.h"

#include "CIconButton.h"
#include "QXDialogKit.h"
#include "QXIconSet.h"
#include "QXViewerVersion.h"

#include <QGridLayout>
#include <QLabel>

using QXDialogKit::Named;

namespace {
const char* const kNote = "Plays the four channels and sound of the recorder's disks,\n"
                          "CF cards, disk images and MYS files.";
} // namespace

CViewerAboutDlg::CViewerAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("100");
    setWindowTitle("About PC Viewer");
    auto* layout = new QGridLayout(this);
    auto* picture = Named(new QLabel(this), kIdPicture);
    picture->setPixmap(QXIconSet::ProgramIcon().pixmap(kPictureSize, kPictureSize));
    picture->setAlignment(Qt::AlignTop);
    layout->addWidget(picture, 0, 0, 2, 1);
    auto* title = Named(new QLabel(TitleLine(), this), kIdTitle);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title, 0, 1);
    layout->addWidget(Named(new QLabel(kNote, this), kIdNote), 1, 1);
    layout->addLayout(QXDialogKit::ButtonRow({QXDialogKit::OkButton(*this)}), 2, 0, 1, 2);
    layout->setHorizontalSpacing(16);
}

QString CViewerAboutDlg::TitleLine() {
    return QString("PC Viewer - %1.%2.%3")
        .arg(QXViewerVersion::kMajor, QXViewerVersion::kMinor, QXViewerVersion::kBuild);
}
