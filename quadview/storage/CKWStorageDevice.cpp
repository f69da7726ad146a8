#include "CKWStorageDevice.h"

#include <cerrno>
#include <iterator>

namespace {
// Names of the media type codes of the drive geometry, in code order.
const char* const kMediaTypeNames[] = {
    "Unknown Format",
    "5.25', 1.2MB,  512 bytes/sector",
    "3.5', 1.44MB, 512 bytes/sector",
    "3.5', 2.88MB, 512 bytes/sector",
    "3.5', 20.8MB, 512 bytes/sector",
    "3.5', 720KB,  512 bytes/sector",
    "5.25', 360KB,  512 bytes/sector",
    "5.25', 320KB,  512 bytes/sector",
    "5.25', 320KB,  1024 bytes/sector",
    "5.25', 180KB,  512 bytes/sector",
    "5.25', 160KB,  512 bytes/sector",
    "Removable media other than floppy",
    "Fixed hard disk media",
    "3.5', 120M Floppy",
    "3.5', 640KB,  512 bytes/sector",
    "5.25', 640KB,  512 bytes/sector",
    "5.25', 720KB,  512 bytes/sector",
    "3.5' , 1.2Mb,  512 bytes/sector",
    "3.5' , 1.23Mb, 1024 bytes/sector",
    "5.25', 1.23MB, 1024 bytes/sector",
    "3.5' MO 128Mb   512 bytes/sector",
    "3.5' MO 230Mb   512 bytes/sector",
    "8', 256KB,  128 bytes/sector",
    "3.5', 200M Floppy (HiFD)",
    "3.5', 240Mb Floppy (HiFD)",
    "3.5', 32Mb Floppy",
};

constexpr int kIdentifyWordSectors28 = 60;
constexpr int kIdentifyWordFeatures = 83;
constexpr int kIdentifyWordSectors48 = 100;
constexpr std::uint16_t kFeature48BitAddress = 1u << 10;

std::uint16_t IdentifyWord(const KWRawDrive::IdentifyData& data, int word) {
    return static_cast<std::uint16_t>(data[2 * word] | (data[2 * word + 1] << 8));
}
} // namespace

CKWStorageDevice::CKWStorageDevice() {
    m_className = "CKWStorageDevice";
    Close();
}

CKWStorageDevice::~CKWStorageDevice() {
    Close();
}

void CKWStorageDevice::SetDriveList(std::shared_ptr<const KWDriveList> drives) {
    m_drives = std::move(drives);
}

const char* CKWStorageDevice::MediaTypeName(std::uint32_t mediaType) {
    // Codes beyond the table are named like an unknown format.
    return mediaType < std::size(kMediaTypeNames) ? kMediaTypeNames[mediaType] : kMediaTypeNames[0];
}

const char* CKWStorageDevice::GetMediaTypeName() const {
    return MediaTypeName(m_mediaType);
}

std::uint64_t CKWStorageDevice::SectorCountFromIdentify(const KWRawDrive::IdentifyData& data) {
    if (IdentifyWord(data, kIdentifyWordFeatures) & kFeature48BitAddress) {
        std::uint64_t count = 0;
        for (int i = 3; i >= 0; --i)
            count = (count << 16) | IdentifyWord(data, kIdentifyWordSectors48 + i);
        return count;
    }
    return (std::uint32_t{IdentifyWord(data, kIdentifyWordSectors28 + 1)} << 16) |
           IdentifyWord(data, kIdentifyWordSectors28);
}

int CKWStorageDevice::Open(std::uint8_t driveNumber, std::uint8_t deviceIndex) {
    if (IsOpen())
        return 1;
    m_openFailure = OpenFailure::kNone;
    m_openErrno = 0;
    const KWDriveList drives = m_drives ? *m_drives : KWSystemDriveList();
    const std::string path = driveNumber < drives.size() ? drives[driveNumber] : std::string();
    if (!m_main.Open(path))
        return RefuseOpen(OpenFailure::kCannotOpen, errno);
    m_path = path;
    m_driveNumber = driveNumber;
    m_deviceIndex = deviceIndex;

    KWDriveGeometry geometry;
    if (!m_main.GetGeometry(geometry))
        return RefuseOpen(OpenFailure::kNoGeometry, errno);
    m_mediaType = geometry.mediaType;
    SetSectorCount(geometry.cylinders * geometry.tracksPerCylinder * geometry.sectorsPerTrack);

    KWRawDrive::IdentifyData identify{};
    if (RequestIdentify(identify)) {
        SetSectorCount(SectorCountFromIdentify(identify));
        m_ide = 1;
        return 1;
    }
    if (!StartSizeProbe())
        return RefuseOpen(OpenFailure::kNoSizeProbe, errno);
    return 1;
}

int CKWStorageDevice::RefuseOpen(OpenFailure failure, int error) {
    Close();
    m_openFailure = failure;
    m_openErrno = error;
    return 0;
}

bool CKWStorageDevice::RequestIdentify(KWRawDrive::IdentifyData& data) {
    KWRawDrive handle;
    return OpenDriveHandle(handle) && handle.Identify(data);
}

bool CKWStorageDevice::OpenDriveHandle(KWRawDrive& handle) const {
    return !m_path.empty() && handle.Open(m_path);
}

void CKWStorageDevice::StopWorker() {
    std::int32_t exitCode = 0;
    if (!Stop(exitCode, kStopTimeoutMs))
        Terminate(0, 1);
}

void CKWStorageDevice::Close() {
    StopWorker();
    m_main.Close();
    m_path.clear();
    m_driveNumber = 0;
    m_deviceIndex = 0;
    {
        std::lock_guard lock(m_sizeLock);
        m_sectorCount = 0;
    }
    m_mediaType = 0;
    m_ide = 0;
}

void CKWStorageDevice::SetSectorCount(std::uint64_t count) {
    {
        std::lock_guard lock(m_sizeLock);
        m_sectorCount = count;
    }
    SendToListeners(kMessageSectorCount, m_deviceIndex, 0);
}

std::uint64_t CKWStorageDevice::GetSectorCount() const {
    std::lock_guard lock(m_sizeLock);
    return m_sectorCount;
}

int CKWStorageDevice::SeekSector(std::uint64_t sector, KWRawDrive* handle) {
    KWRawDrive& drive = handle ? *handle : m_main;
    if (sector > UINT64_MAX / kSectorSize)
        return 0;
    return drive.Seek(sector * kSectorSize) ? 1 : 0;
}

std::uint32_t CKWStorageDevice::ReadSectors(std::uint32_t count, std::uint8_t* buffer,
                                            std::uint32_t bufferSize, KWRawDrive* handle) {
    const std::uint64_t bytes = std::uint64_t{count} * kSectorSize;
    if (bufferSize < bytes || !buffer)
        return 0;
    KWRawDrive& drive = handle ? *handle : m_main;
    const long long got = drive.Read(buffer, static_cast<std::size_t>(bytes));
    return got < 0 ? 0 : static_cast<std::uint32_t>(got);
}

int CKWStorageDevice::StartSizeProbe() {
    if (!OpenDriveHandle(m_probe))
        return 0;
    const int started = Start(kWorkerWaitMs);
    if (!started) {
        m_probe.Close();
        return 0;
    }
    SetPriority(kPriorityTimeCritical);
    return started;
}

bool CKWStorageDevice::ProbeStep() {
    const std::uint64_t next = GetSectorCount() + kProbeStepSectors;
    if (SeekSector(next - 1, &m_probe) &&
        ReadSectors(1, m_sectorBuffer, sizeof m_sectorBuffer, &m_probe) == kSectorSize) {
        SetSectorCount(next);
        return true;
    }
    PushFrontCommand(kCommandStop);
    return false;
}

void CKWStorageDevice::OnProcess() {
    if (m_probe.IsOpen())
        ProbeStep();
}

void CKWStorageDevice::EndSizeProbe() {
    if (!m_probe.IsOpen())
        return;
    m_probe.Close();
    SendToListeners(kMessageProbeEnded, m_deviceIndex, 0);
}

void CKWStorageDevice::OnThreadExit() {
    EndSizeProbe();
}

void CKWStorageDevice::OnTerminate() {
    EndSizeProbe();
}
