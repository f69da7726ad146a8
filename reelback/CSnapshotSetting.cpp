#include "CSnapshotSetting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace CSnapshotSetting {
namespace {
constexpr const char* kDefaultSubfolder = "Reelback/";

QString Key() {
    return QString(kSection) + "/" + kKey;
}

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                                       kApplication);
}
} // namespace

// The Pictures folder is used only when it exists: a snapshot creates its own folder, never the
// user's Pictures folder.
QString DefaultFolder() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) {
        pictures = QDir::homePath();
    }
    return QDir(pictures).filePath(kDefaultSubfolder);
}

QString Read() {
    return OpenSettings()->value(Key(), DefaultFolder()).toString();
}

bool Write(const QString& text) {
    const auto settings = OpenSettings();
    settings->setValue(Key(), text);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
} // namespace CSnapshotSetting
