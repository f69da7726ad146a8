#include "CCamInternetZone.h"

#include <QSettings>

const char* const CCamInternetZone::kValueNames[9] = {"1001", "2201", "1004", "1201", "1200",
                                                      "1405", "1400", "1402", "1601"};

QString CCamInternetZone::FilePath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kFileName)
        .fileName();
}

bool CCamInternetZone::WriteZoneValues() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kFileName);
    if (!settings.isWritable())
        return false;
    settings.beginGroup(kZoneGroup);
    for (const char* name : kValueNames)
        settings.setValue(name, kEnable);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
