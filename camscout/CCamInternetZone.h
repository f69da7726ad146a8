#pragma once
#include <QString>

// "Config IE": lets the browser run what a camera's web page needs by setting the nine URL-action
// values of the Internet zone to 0 (enable) in the user's settings file.
class CCamInternetZone {
public:
    static constexpr const char* kOrganisation = "Camscout";
    static constexpr const char* kFileName = "InternetSettings";
    static constexpr const char* kZoneGroup = "Zones/3";
    static constexpr int kEnable = 0;

    // The value names in the order they are written.
    static const char* const kValueNames[9];

    // Writes the values; false when the settings file cannot be written.
    static bool WriteZoneValues();
    static QString FilePath();
};
