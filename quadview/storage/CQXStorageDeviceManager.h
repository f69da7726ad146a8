#pragma once
#include "CKWThread.h"
#include "CQXStorageDevice.h"
#include "KWDriveList.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class CQXScreenManager4;
class CKWWaveManager;
class CQXMysFileManager;

// The table of the machine's drives as DVR storage devices: opens every drive, keeps the list of
// those that hold a recorded stream, and passes its listeners on to every device so that a
// window listening here hears the devices' notifications too. Playback of the selected device's
// stream runs on this object's worker thread.
class CQXStorageDeviceManager : public CKWThread {
public:
    static constexpr std::uint8_t kMaxDevices = 32;

    // The drives to open; the system's drive list by default.
    explicit CQXStorageDeviceManager(KWDriveList drives = KWSystemDriveList());
    ~CQXStorageDeviceManager() override;

    // Opens drive numbers 0-31 in order into dense device indices; true when one opened. The
    // three managers receive the frames of playback; they are not owned.
    bool OpenAllDevices(CQXScreenManager4* screenManager, CKWWaveManager* waveManager,
                        CQXMysFileManager* mysFileManager);
    void CloseAllDevices();

    std::uint8_t GetDeviceCount() const { return m_deviceCount; }
    std::uint8_t GetFormattedCount() const;
    // The device index of the n-th formatted device, ascending; 0xFF when there is none.
    std::uint8_t GetFormattedDevice(std::uint8_t n) const;
    // The device in slot `index`, or null beyond the table.
    CQXStorageDevice* GetDevice(std::uint8_t index);

    // Per-device queries by device index; an index beyond the table answers 0 / false.
    std::uint32_t GetPacketCount(std::uint8_t index) const;
    std::uint64_t GetSectorCount(std::uint8_t index) const;
    std::string GetMediaTypeName(std::uint8_t index) const;
    int IsIdeDevice(std::uint8_t index) const;
    bool IsBusy(std::uint8_t index);
    bool IsFormatted(std::uint8_t index) const;
    std::uint32_t GetStreamLength(std::uint8_t index) const;
    std::uint32_t GetPosition(std::uint8_t index) const;
    // True while any open device probes, scans or is about to scan.
    bool IsAnyDeviceBusy();

    // Applied to this object and then to all 32 devices in index order; an add stops at the
    // first device that refuses and then answers 0.
    int AddListenerWindow(KWWindowHandle window) override;
    int AddListenerObject(CKWObject* object) override;
    void RemoveListenerWindow(KWWindowHandle window) override;
    void RemoveListenerObject(CKWObject* object) override;

    // Rebuilds the formatted list when a device's scan has ended.
    void OnListenerPost(std::uint32_t message, KWWParam wParam, KWLParam lParam) override;

protected:
    CQXScreenManager4* m_screenManager = nullptr;
    CKWWaveManager* m_waveManager = nullptr;
    CQXMysFileManager* m_mysFileManager = nullptr;

private:
    void RebuildFormattedList();
    const CQXStorageDevice* Device(std::uint8_t index) const;

    // Read by the devices' workers when they rebuild the formatted list.
    std::atomic<std::uint8_t> m_deviceCount{0};
    std::array<CQXStorageDevice, kMaxDevices> m_devices;
    mutable std::mutex m_formattedLock;
    std::uint8_t m_formattedCount = 0;
    std::array<std::uint8_t, kMaxDevices> m_formatted{};
};
