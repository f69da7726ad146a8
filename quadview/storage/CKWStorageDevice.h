#pragma once
#include "CKWThread.h"
#include "KWDriveList.h"
#include "KWRawDrive.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// One physical drive of the machine, opened by its drive number: learns its size in 512-byte
// sectors, tells ATA drives (whose identify data give the exact size) from the others, and
// reads whole sectors. For drives that are not ATA a size probe on the worker thread extends the
// size step by step until a read fails. Knows nothing of what is recorded on the drive.
//
// Notifications to listeners (first parameter the device index, second 0), both sent:
// kMessageSectorCount when the sector count was set or grew, kMessageProbeEnded when the size
// probe ended.
class CKWStorageDevice : public CKWThread {
public:
    // The step at which the last Open refused the drive.
    enum class OpenFailure { kNone, kCannotOpen, kNoGeometry, kNoSizeProbe, kNoScan };

    static constexpr std::uint32_t kMessageSectorCount = 0x460;
    static constexpr std::uint32_t kMessageProbeEnded = 0x461;
    static constexpr std::uint32_t kSectorSize = KWRawDrive::kSectorSize;
    static constexpr std::uint64_t kProbeStepSectors = 63;
    static constexpr std::int32_t kStopTimeoutMs = 100;
    static constexpr std::uint32_t kWorkerWaitMs = 1;

    CKWStorageDevice();
    ~CKWStorageDevice() override;

    // Drive numbers resolve through this list; without one, through the system's drive list.
    void SetDriveList(std::shared_ptr<const KWDriveList> drives);

    [[nodiscard]] virtual int Open(std::uint8_t driveNumber, std::uint8_t deviceIndex);
    virtual void Close();
    virtual void SetSectorCount(std::uint64_t count);
    // Moves `handle` (the main handle when null) to the sector.
    [[nodiscard]] virtual int SeekSector(std::uint64_t sector, KWRawDrive* handle);

    // Reads `count` sectors at the handle's position into `buffer`; returns the bytes read (short
    // at the end of the drive), or 0 when the read fails or the buffer is too small for them.
    std::uint32_t ReadSectors(std::uint32_t count, std::uint8_t* buffer, std::uint32_t bufferSize,
                              KWRawDrive* handle);

    // Opens a further read-only handle on this device's drive (for readers with their own
    // position, such as the time search).
    bool OpenDriveHandle(KWRawDrive& handle) const;

    std::uint64_t GetSectorCount() const;
    std::uint32_t GetMediaType() const { return m_mediaType; }
    const char* GetMediaTypeName() const;
    int IsIdeDevice() const { return m_ide; }
    bool IsOpen() const { return m_main.IsOpen(); }
    std::uint8_t GetDriveNumber() const { return m_driveNumber; }
    std::uint8_t GetDeviceIndex() const { return m_deviceIndex; }
    const std::string& GetDrivePath() const { return m_path; }
    // Why the last Open failed, with the system's error number of that step (0 when it has none);
    // kept after the failed Open has closed the device.
    OpenFailure GetOpenFailure() const { return m_openFailure; }
    int GetOpenErrno() const { return m_openErrno; }

    int StartSizeProbe();
    bool IsProbing() const { return m_probe.IsOpen(); }

    // The sector count that identify data report: words 60-61, or words 100-103 when word 83
    // announces the 48-bit address feature set.
    static std::uint64_t SectorCountFromIdentify(const KWRawDrive::IdentifyData& data);
    static const char* MediaTypeName(std::uint32_t mediaType);

protected:
    // Asks the drive for its ATA identify data through a temporary handle.
    virtual bool RequestIdentify(KWRawDrive::IdentifyData& data);

    void OnProcess() override;
    void OnThreadExit() override;
    void OnTerminate() override;

    // One probe step: the sector after the known size is read; when it is there the size grows
    // by one step. Returns false when the probe has ended.
    bool ProbeStep();
    // Closes the probe handle and announces the end of the probe, when a probe ran.
    void EndSizeProbe();
    // Stops the worker, and ends it if it does not stop in time.
    void StopWorker();
    // Closes the device and keeps why its Open failed; returns 0 for Open to return.
    int RefuseOpen(OpenFailure failure, int error);

    KWRawDrive m_main;
    KWRawDrive m_probe;

private:
    std::shared_ptr<const KWDriveList> m_drives;
    std::string m_path; // of the open drive; empty when closed
    std::atomic<std::uint8_t> m_deviceIndex{0};
    std::atomic<std::uint8_t> m_driveNumber{0};
    mutable std::mutex m_sizeLock;
    std::uint64_t m_sectorCount = 0;
    std::uint32_t m_mediaType = 0;
    int m_ide = 0;
    OpenFailure m_openFailure = OpenFailure::kNone;
    int m_openErrno = 0;
    std::uint8_t m_sectorBuffer[kSectorSize] = {};
};
