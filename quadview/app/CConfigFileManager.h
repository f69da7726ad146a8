#pragma once
#include "CKWConfigFileManager.h"

#include <array>

// The viewer's settings: "config/QXPCViewer4.cfg" below the start directory, four entries.
// Made with the main window, it loads (or creates) the file at once; its destruction saves it.
class CConfigFileManager : public CKWConfigFileManager {
public:
    enum Entry : std::uint32_t {
        kEntryCount = 0,      // integer 4; only written and compared
        kFileVersion = 1,     // integer 0; only written and compared
        kMysDirectory = 2,    // string: MYS captures and playback, screen captures
        kShowCloseConfirm = 3 // integer: non-zero asks before closing
    };
    static constexpr std::uint32_t kEntries = 4;
    static constexpr const char* kFolderName = "config";
    static constexpr const char* kFileName = "QXPCViewer4.cfg";
    // Appended to the start directory for the default MYS directory.
    static constexpr const char* kDefaultMysFolder = "/Capture_MYS/";

    CConfigFileManager();
    ~CConfigFileManager() override;

protected:
    const KWConfigEntry* GetDefault(std::uint32_t index) const override;

private:
    std::array<KWConfigEntry, kEntries> m_defaults;
};
