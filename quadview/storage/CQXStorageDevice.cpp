#include "CQXStorageDevice.h"

#include "KWTick.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

CQXStorageDevice::CQXStorageDevice() {
    m_className = "CQXStorageDevice";
}

CQXStorageDevice::~CQXStorageDevice() {
    // Stops the worker while this part of the object still exists for its hooks.
    Close();
}

int CQXStorageDevice::Open(std::uint8_t driveNumber, std::uint8_t deviceIndex) {
    if (IsOpen())
        return 1;
    if (!CKWStorageDevice::Open(driveNumber, deviceIndex))
        return 0;
    // An ATA drive knows its exact size: scan at once. Others scan once their probe has ended.
    if (IsIdeDevice() && !StartDataScan())
        return RefuseOpen(OpenFailure::kNoScan, errno);
    return 1;
}

void CQXStorageDevice::Close() {
    m_closing = true;
    std::uint32_t timerId;
    {
        std::lock_guard lock(m_timerLock);
        timerId = m_timerId.exchange(0);
    }
    if (timerId)
        KillTimer(timerId);
    CKWStorageDevice::Close();
    m_formatted = false;
    SetStreamLength(0);
    {
        std::lock_guard lock(m_countLock);
        m_packetCount = 0;
    }
    m_position = 0;
    m_closing = false;
}

void CQXStorageDevice::SetSectorCount(std::uint64_t count) {
    {
        // Set first, so that listeners of the size notification read the new packet count.
        std::lock_guard lock(m_countLock);
        m_packetCount = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(count / CQX4KPacket::kSectors, UINT32_MAX));
    }
    CKWStorageDevice::SetSectorCount(count);
}

int CQXStorageDevice::SeekSector(std::uint64_t sector, KWRawDrive* handle) {
    if (!CKWStorageDevice::SeekSector(sector, handle))
        return 0;
    if (!handle)
        m_position = static_cast<std::uint32_t>(sector / CQX4KPacket::kSectors);
    return 1;
}

int CQXStorageDevice::SeekPacket(std::uint32_t index) {
    return SeekSector(std::uint64_t{index} * CQX4KPacket::kSectors, nullptr);
}

int CQXStorageDevice::ReadPacket(CQX4KPacket& packet, KWRawDrive* handle) {
    if (ReadSectors(CQX4KPacket::kSectors, packet.GetData(), packet.GetSize(), handle) !=
        CQX4KPacket::kSize)
        return 0;
    packet.ExchangeBytes();
    if (!handle)
        ++m_position;
    return 1;
}

int CQXStorageDevice::ReadPacket(std::uint32_t index, CQX4KPacket& packet) {
    return SeekPacket(index) && ReadPacket(packet, nullptr) ? 1 : 0;
}

std::uint32_t CQXStorageDevice::GetStreamLength() const {
    std::lock_guard lock(m_streamLock);
    return m_streamLength;
}

void CQXStorageDevice::SetStreamLength(std::uint32_t length) {
    std::lock_guard lock(m_streamLock);
    m_streamLength = length;
}

std::uint32_t CQXStorageDevice::GetPacketCount() const {
    std::lock_guard lock(m_countLock);
    return m_packetCount;
}

bool CQXStorageDevice::IsBusy() {
    // The worker counts until it has wholly ended, so that the results are final when not busy.
    return IsProbing() || m_scan.IsOpen() || m_timerId != 0 || IsRunning();
}

int CQXStorageDevice::StartDataScan() {
    if (!IsOpen() || IsProbing() || m_scan.IsOpen())
        return 1;
    if (!OpenDriveHandle(m_scan))
        return 0;
    if (!Start(m_paced ? kWorkerWaitMs : 0)) {
        m_scan.Close();
        return 0;
    }
    SetPriority(kPriorityTimeCritical);
    return 1;
}

int CQXStorageDevice::RunDataScan() {
    if (!IsOpen() || IsBusy() || !OpenDriveHandle(m_scan))
        return 0;
    BeginDataScan();
    while (ScanStep()) {
    }
    EndDataScan();
    return 1;
}

void CQXStorageDevice::OnThreadEnter() {
    if (!IsProbing() && m_scan.IsOpen())
        BeginDataScan();
}

void CQXStorageDevice::BeginDataScan() {
    m_cursor = QXScanCursor{};
    m_scanReads = 0;
    SetStreamLength(0);
}

void CQXStorageDevice::OnProcess() {
    if (IsProbing()) {
        if (ProbeStep())
            PauseStep();
    } else if (m_scan.IsOpen() && !ScanStep()) {
        PushFrontCommand(kCommandStop);
    }
}

bool CQXStorageDevice::ScanStep() {
    const std::uint64_t next = m_cursor.Next();
    bool recorded = false;
    if (next <= UINT32_MAX && SeekSector(next * CQX4KPacket::kSectors, &m_scan)) {
        ++m_scanReads;
        // Audio packets need not carry a valid time; they are part of the recording all the same.
        recorded = ReadPacket(m_scanPacket, &m_scan) && m_scanPacket.IsRecorded();
    }
    if (!recorded) {
        if (m_cursor.Miss() == QXScanCursor::Outcome::kEnd)
            return false;
        PauseStep();
        return true;
    }
    const QXScanCursor::Outcome outcome = m_cursor.Hit(GetPacketCount());
    SetStreamLength(m_cursor.length);
    PostToListeners(kMessageScanHit, GetDeviceIndex(), 0);
    if (outcome == QXScanCursor::Outcome::kGrow)
        SetSectorCount((std::uint64_t{m_cursor.length} + 1) * CQX4KPacket::kSectors);
    PauseStep();
    return true;
}

void CQXStorageDevice::PauseStep() const {
    if (m_paced)
        KWSleep(kStepSleepMs);
}

void CQXStorageDevice::EndDataScan() {
    m_scan.Close();
    m_formatted = GetStreamLength() != 0;
    // Readers seek before they read: a failed rewind here costs nothing.
    static_cast<void>(SeekSector(0, nullptr));
    PostToListeners(kMessageScanEnded, GetDeviceIndex(), 0);
}

void CQXStorageDevice::OnThreadExit() {
    EndSizeProbe();
    if (m_scan.IsOpen()) {
        EndDataScan();
        return;
    }
    if (IsIdeDevice() || IsProbing() || !IsOpen() || m_closing)
        return;
    // The probe has ended: scan once the timer fires.
    std::lock_guard lock(m_timerLock);
    std::uint32_t timerId = 0;
    if (CreateTimer(timerId, kScanDelayMs, 1))
        m_timerId = timerId;
}

void CQXStorageDevice::OnTerminate() {
    OnThreadExit();
}

void CQXStorageDevice::OnTimer(std::uint32_t timerId) {
    std::lock_guard lock(m_timerLock);
    if (m_timerId == 0 || m_timerId != timerId)
        return;
    // The probe's worker may still be finishing; the periodic timer tries again.
    if (IsRunning())
        return;
    KillTimer(timerId);
    StartDataScan();
    m_timerId = 0;
}
