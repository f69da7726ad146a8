#include "CConfigFileManager.h"

CConfigFileManager::CConfigFileManager()
    : CKWConfigFileManager(kFolderName, kFileName, kEntries),
      m_defaults{{
          {"entry count", KWConfigEntry::kInteger, static_cast<std::int32_t>(kEntries), ""},
          {"file version", KWConfigEntry::kInteger, 0, ""},
          {"mys recording/playback directory", KWConfigEntry::kString, 0,
           GetStartDirectory() + kDefaultMysFolder},
          {"show close confirm", KWConfigEntry::kInteger, 1, ""},
      }} {
    m_className = "CConfigFileManager";
    ResetDefaults();
    // Without a writable file the viewer runs on the defaults; nothing is shown.
    static_cast<void>(Load());
    m_loaded = true;
}

CConfigFileManager::~CConfigFileManager() {
    Save();
}

const KWConfigEntry* CConfigFileManager::GetDefault(std::uint32_t index) const {
    return index < m_defaults.size() ? &m_defaults[index] : nullptr;
}
