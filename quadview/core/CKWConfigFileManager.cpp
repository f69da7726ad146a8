#include "CKWConfigFileManager.h"

#include "KWFileWrite.h"
#include "KWMessageBox.h"
#include "KWPrepareDirectory.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const kCountMismatchText = "Config Entry Count Mismatch";
constexpr std::size_t kFieldBytes = 4;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Reads the little-endian field at `offset` when it lies inside the bytes.
bool Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t& value) {
    if (offset > bytes.size() || bytes.size() - offset < kFieldBytes)
        return false;
    value = 0;
    for (std::size_t i = 0; i < kFieldBytes; ++i)
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return true;
}

std::string CurrentDirectory() {
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).string();
    return error ? std::string(".") : current;
}

// At most `limit` bytes from the start of an open file.
std::vector<std::uint8_t> ReadHead(int file, std::size_t limit) {
    std::vector<std::uint8_t> bytes(limit);
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t got = read(file, bytes.data() + filled, limit - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}
} // namespace

CKWConfigFileManager::CKWConfigFileManager(std::string folderName, std::string fileName,
                                           std::uint32_t entryCount)
    : m_startDirectory(CurrentDirectory()), m_folderName(std::move(folderName)),
      m_fileName(std::move(fileName)), m_entries(entryCount) {
    m_className = "CKWConfigFileManager";
}

CKWConfigFileManager::~CKWConfigFileManager() = default;

std::string CKWConfigFileManager::GetFolderPath() const {
    return m_startDirectory + "/" + m_folderName;
}

std::string CKWConfigFileManager::GetFilePath() const {
    return GetFolderPath() + "/" + m_fileName;
}

std::uint32_t CKWConfigFileManager::PaddedLength(std::size_t textBytes) {
    return static_cast<std::uint32_t>((textBytes & ~std::size_t{3}) + 4);
}

KWConfigEntry* CKWConfigFileManager::GetEntry(std::uint32_t index) {
    return index < m_entries.size() ? &m_entries[index] : nullptr;
}

void CKWConfigFileManager::ResetDefaults() {
    for (std::uint32_t index = 0; index < m_entries.size(); ++index) {
        const KWConfigEntry* entry = GetDefault(index);
        if (!entry) {
            KWMessageBox(kCountMismatchText, "",
                         KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconInformation);
            continue;
        }
        m_entries[index] = *entry;
    }
}

std::vector<std::uint8_t> CKWConfigFileManager::Serialise() const {
    std::vector<std::uint8_t> bytes;
    Put32(bytes, static_cast<std::uint32_t>(m_entries.size()));
    for (const KWConfigEntry& entry : m_entries) {
        Put32(bytes, entry.type);
        if (entry.type != KWConfigEntry::kString) {
            Put32(bytes, static_cast<std::uint32_t>(entry.value));
        } else {
            const std::size_t length = PaddedLength(entry.text.size());
            if (bytes.size() + kFieldBytes + length > kMaxFileBytes)
                return {};
            Put32(bytes, static_cast<std::uint32_t>(length));
            bytes.insert(bytes.end(), entry.text.begin(), entry.text.end());
            bytes.resize(bytes.size() + length - entry.text.size(), 0);
        }
        if (bytes.size() > kMaxFileBytes)
            return {};
    }
    return bytes;
}

bool CKWConfigFileManager::Parse(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t count = 0;
    if (!Get32(bytes, 0, count) || count != m_entries.size())
        return false;
    std::vector<KWConfigEntry> read = m_entries;
    std::size_t offset = kFieldBytes;
    for (KWConfigEntry& entry : read) {
        std::uint32_t type = 0;
        std::uint32_t field = 0;
        if (!Get32(bytes, offset, type) || type != entry.type ||
            !Get32(bytes, offset + kFieldBytes, field))
            return false;
        offset += 2 * kFieldBytes;
        if (type != KWConfigEntry::kString) {
            entry.value = static_cast<std::int32_t>(field);
            entry.text.clear();
            continue;
        }
        // The text ends at its first zero byte, which must lie within its L bytes.
        if (field > bytes.size() - offset)
            return false;
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = begin + static_cast<std::ptrdiff_t>(field);
        const auto zero = std::find(begin, end, std::uint8_t{0});
        if (zero == end)
            return false;
        entry.text.assign(begin, zero);
        entry.value = 0;
        offset += field;
    }
    m_entries = std::move(read);
    return true;
}

bool CKWConfigFileManager::WriteFile() const {
    const std::vector<std::uint8_t> bytes = Serialise();
    const std::string path = GetFilePath();
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (bytes.empty() || (exists && access(path.c_str(), W_OK) != 0))
        return false;
    std::string temporary = path + ".XXXXXX";
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0)
        return false;
    bool written = (!exists || fchmod(file, existing.st_mode & 07777) == 0) &&
                   KWWriteAll(file, bytes.data(), bytes.size()) && fsync(file) == 0;
    written = close(file) == 0 && written;
    if (written && rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

bool CKWConfigFileManager::Load() {
    std::lock_guard lock(m_mutex);
    ResetDefaults();
    const int file = open(GetFilePath().c_str(), O_RDONLY | O_CLOEXEC);
    if (file >= 0) {
        const std::vector<std::uint8_t> bytes = ReadHead(file, kMaxFileBytes);
        close(file);
        if (Parse(bytes))
            return true;
        ResetDefaults();
        return WriteFile();
    }
    // A folder that cannot be made shows in the write that follows.
    static_cast<void>(PrepareDirectory("", GetFolderPath()));
    return WriteFile();
}

void CKWConfigFileManager::Save() {
    bool written;
    {
        std::lock_guard lock(m_mutex);
        static_cast<void>(PrepareDirectory("", GetFolderPath()));
        written = WriteFile();
    }
    if (!written)
        SendToListeners(kMessageSaveFailed, 0, 0);
}
