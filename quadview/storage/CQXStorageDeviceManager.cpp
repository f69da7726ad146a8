#include "CQXStorageDeviceManager.h"

namespace {
constexpr std::uint8_t kNoDevice = 0xFF;
}

CQXStorageDeviceManager::CQXStorageDeviceManager(KWDriveList drives) {
    m_className = "CQXStorageDeviceManager";
    auto shared = std::make_shared<const KWDriveList>(std::move(drives));
    for (auto& device : m_devices) {
        device.SetDriveList(shared);
        device.AddListenerObject(this);
    }
}

CQXStorageDeviceManager::~CQXStorageDeviceManager() {
    // Stop every device first, so that none is still notifying this object.
    for (auto& device : m_devices)
        device.Close();
    for (auto& device : m_devices)
        device.RemoveListenerObject(this);
}

bool CQXStorageDeviceManager::OpenAllDevices(CQXScreenManager4* screenManager,
                                             CKWWaveManager* waveManager,
                                             CQXMysFileManager* mysFileManager) {
    m_screenManager = screenManager;
    m_waveManager = waveManager;
    m_mysFileManager = mysFileManager;
    for (unsigned drive = 0; drive < kMaxDevices; ++drive) {
        CQXStorageDevice& device = m_devices[m_deviceCount];
        if (device.Open(static_cast<std::uint8_t>(drive), m_deviceCount)) {
            ++m_deviceCount;
        } else {
            // A drive opened but refused its scan stays out of the table; its slot is reused.
            device.Close();
        }
        if (m_deviceCount == kMaxDevices)
            break;
    }
    // A scan may have ended before its device was counted.
    RebuildFormattedList();
    return m_deviceCount != 0;
}

void CQXStorageDeviceManager::CloseAllDevices() {
    for (std::uint8_t i = 0; i < m_deviceCount; ++i)
        m_devices[i].Close();
    m_deviceCount = 0;
    RebuildFormattedList();
}

std::uint8_t CQXStorageDeviceManager::GetFormattedCount() const {
    std::lock_guard lock(m_formattedLock);
    return m_formattedCount;
}

std::uint8_t CQXStorageDeviceManager::GetFormattedDevice(std::uint8_t n) const {
    std::lock_guard lock(m_formattedLock);
    return n < m_formattedCount ? m_formatted[n] : kNoDevice;
}

void CQXStorageDeviceManager::RebuildFormattedList() {
    std::lock_guard lock(m_formattedLock);
    m_formattedCount = 0;
    for (std::uint8_t i = 0; i < m_deviceCount; ++i) {
        if (m_devices[i].IsFormatted())
            m_formatted[m_formattedCount++] = i;
    }
}

void CQXStorageDeviceManager::OnListenerPost(std::uint32_t message, KWWParam, KWLParam) {
    if (message == CQXStorageDevice::kMessageScanEnded)
        RebuildFormattedList();
}

CQXStorageDevice* CQXStorageDeviceManager::GetDevice(std::uint8_t index) {
    return index < kMaxDevices ? &m_devices[index] : nullptr;
}

const CQXStorageDevice* CQXStorageDeviceManager::Device(std::uint8_t index) const {
    return index < kMaxDevices ? &m_devices[index] : nullptr;
}

std::uint32_t CQXStorageDeviceManager::GetPacketCount(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetPacketCount() : 0;
}

std::uint64_t CQXStorageDeviceManager::GetSectorCount(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetSectorCount() : 0;
}

std::string CQXStorageDeviceManager::GetMediaTypeName(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetMediaTypeName() : std::string();
}

int CQXStorageDeviceManager::IsIdeDevice(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->IsIdeDevice() : 0;
}

bool CQXStorageDeviceManager::IsBusy(std::uint8_t index) {
    CQXStorageDevice* device = GetDevice(index);
    return device && device->IsBusy();
}

bool CQXStorageDeviceManager::IsFormatted(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device && device->IsFormatted();
}

std::uint32_t CQXStorageDeviceManager::GetStreamLength(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetStreamLength() : 0;
}

std::uint32_t CQXStorageDeviceManager::GetPosition(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetPosition() : 0;
}

bool CQXStorageDeviceManager::IsAnyDeviceBusy() {
    for (std::uint8_t i = 0; i < m_deviceCount; ++i) {
        if (m_devices[i].IsBusy())
            return true;
    }
    return false;
}

int CQXStorageDeviceManager::AddListenerWindow(KWWindowHandle window) {
    if (!CKWThread::AddListenerWindow(window))
        return 0;
    for (auto& device : m_devices) {
        if (!device.AddListenerWindow(window))
            return 0;
    }
    return 1;
}

int CQXStorageDeviceManager::AddListenerObject(CKWObject* object) {
    if (!CKWThread::AddListenerObject(object))
        return 0;
    for (auto& device : m_devices) {
        if (!device.AddListenerObject(object))
            return 0;
    }
    return 1;
}

void CQXStorageDeviceManager::RemoveListenerWindow(KWWindowHandle window) {
    CKWThread::RemoveListenerWindow(window);
    for (auto& device : m_devices)
        device.RemoveListenerWindow(window);
}

void CQXStorageDeviceManager::RemoveListenerObject(CKWObject* object) {
    CKWThread::RemoveListenerObject(object);
    for (auto& device : m_devices)
        device.RemoveListenerObject(object);
}
