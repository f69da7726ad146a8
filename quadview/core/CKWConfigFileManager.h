#pragma once
#include "CKWObject.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One setting of a configuration file: an integer or a string. The name only identifies the
// entry inside the program; the file does not hold it.
struct KWConfigEntry {
    enum Type : std::uint32_t { kInteger = 0, kString = 1 };

    std::string name;
    std::uint32_t type = kInteger;
    std::int32_t value = 0; // an integer entry's value; 0 for a string entry
    std::string text;       // a string entry's text as UTF-8 bytes; empty for an integer entry
};

// A fixed table of typed entries kept in a small file of little-endian fields:
//   entry count (4 bytes), then every entry in table order, its name not stored:
//   integer: type 0 (4 bytes), value (4 bytes);
//   string:  type 1 (4 bytes), padded length L (4 bytes), then L bytes holding the text and at
//            least one zero byte, L being the text's length with its two low bits cleared, + 4.
// The file is start directory/folder/file, the start directory being the process's current
// directory when the object was made. A subclass names the folder and the file and gives each
// entry's default. Load and Save hold the object's lock; entries are read and changed without
// it, from the user-interface thread.
class CKWConfigFileManager : public CKWObject {
public:
    // Notified (sent, no parameters) when Save could not write the file.
    static constexpr std::uint32_t kMessageSaveFailed = 0x410;
    // The file is written from one buffer of at most this size.
    static constexpr std::size_t kMaxFileBytes = 512 * 1024;

    ~CKWConfigFileManager() override;

    // Fills the table with the defaults; an entry without one is skipped after an information
    // box "Config Entry Count Mismatch".
    void ResetDefaults();
    // Takes the values of a valid file, or writes the defaults over a missing, empty, truncated
    // or foreign one (creating the folder). True when the table holds the file's values or
    // defaults that were written; false leaves the defaults in memory and shows nothing.
    bool Load();
    // Writes the table; a failure is notified with kMessageSaveFailed. A file the user may not
    // write is left as it is.
    void Save();

    // The entry at the index, or null beyond the table.
    KWConfigEntry* GetEntry(std::uint32_t index);
    std::uint32_t GetEntryCount() const { return static_cast<std::uint32_t>(m_entries.size()); }
    const std::string& GetStartDirectory() const { return m_startDirectory; }
    std::string GetFolderPath() const;
    std::string GetFilePath() const;
    bool IsLoaded() const { return m_loaded; }

    // L of a text of this many bytes.
    static std::uint32_t PaddedLength(std::size_t textBytes);

protected:
    CKWConfigFileManager(std::string folderName, std::string fileName, std::uint32_t entryCount);

    // The default of the entry at the index, or null when there is none.
    virtual const KWConfigEntry* GetDefault(std::uint32_t index) const = 0;

    bool m_loaded = false;

    // The table as the file holds it; empty when it would pass kMaxFileBytes.
    std::vector<std::uint8_t> Serialise() const;
    // Takes the file's values when the bytes are a valid file of this table.
    bool Parse(const std::vector<std::uint8_t>& bytes);

private:
    // Replaces the file with the table: written beside it, flushed and renamed over it, so a
    // failed write leaves the file as it was.
    bool WriteFile() const;

    std::string m_startDirectory;
    std::string m_folderName;
    std::string m_fileName;
    std::vector<KWConfigEntry> m_entries;
    std::mutex m_mutex;
};
