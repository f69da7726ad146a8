#pragma once
#include "CKWStorageDevice.h"
#include "CQX4KPacket.h"
#include "CQXPacketSource.h"
#include "QXScanCursor.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// A physical drive that may hold a stream recorded by the DVR: reads it packet by packet
// (packet p is sectors 8p to 8p + 7) and measures the stream with a data scan on the worker
// thread. ATA drives are scanned at once; other drives once their size probe has ended and a
// 10 ms timer has fired.
//
// Besides the notifications of CKWStorageDevice, posts (first parameter the device index, second
// 0) kMessageScanHit for every recorded packet the scan finds and kMessageScanEnded when the scan
// is over and IsFormatted is final.
class CQXStorageDevice : public CKWStorageDevice, public CQXPacketSource {
public:
    static constexpr std::uint32_t kMessageScanHit = 0x1470;
    static constexpr std::uint32_t kMessageScanEnded = 0x1471;
    static constexpr std::uint32_t kScanDelayMs = 10;
    static constexpr std::uint32_t kStepSleepMs = 1;

    CQXStorageDevice();
    ~CQXStorageDevice() override;

    [[nodiscard]] int Open(std::uint8_t driveNumber, std::uint8_t deviceIndex) override;
    void Close() override;
    void SetSectorCount(std::uint64_t count) override;
    [[nodiscard]] int SeekSector(std::uint64_t sector, KWRawDrive* handle) override;

    int StartDataScan();
    // Scans the open drive on the calling thread and returns once IsFormatted is final, with the
    // same notifications as a scan on the worker; for callers with nothing else to do meanwhile.
    // 0 when the drive is not open, is busy or cannot be opened for the scan.
    int RunDataScan();
    // The data scan and the size probe pause kStepSleepMs after each read and the scan's worker
    // ticks every kWorkerWaitMs, which leaves the drive to the player. Unpaced (measurements,
    // fuzzing) they read as fast as the drive answers. Takes effect at the next scan.
    void SetPacing(bool paced) { m_paced = paced; }

    // Positions the main handle at a packet; the next ReadPacket without a handle reads it.
    [[nodiscard]] int SeekPacket(std::uint32_t index);
    // Reads the packet at the handle's position (the main handle when null, which then moves the
    // position on by one) and undoes the recorder's byte exchange. 1 on a whole packet, else 0.
    [[nodiscard]] int ReadPacket(CQX4KPacket& packet, KWRawDrive* handle);
    // Reads packet `index` through the main handle (for the stream reader): afterwards the
    // position is index + 1. 1/0.
    [[nodiscard]] int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override;

    bool IsAtEnd() const { return GetPosition() >= GetStreamLength(); }
    bool IsAtStart() const { return GetPosition() == 0; }
    std::uint32_t GetPosition() const { return m_position; }
    // Index of the last packet of the stream; 0 when the drive holds no stream.
    std::uint32_t GetStreamLength() const override;
    std::uint32_t GetPacketCount() const;
    bool IsFormatted() const { return m_formatted; }
    // True while the size probe or the data scan runs or a scan is about to start.
    bool IsBusy();
    // Packets the last data scan read (for measurements).
    std::uint32_t GetScanReadCount() const { return m_scanReads; }

protected:
    void OnThreadEnter() override;
    void OnProcess() override;
    void OnThreadExit() override;
    void OnTerminate() override;
    void OnTimer(std::uint32_t timerId) override;

private:
    void BeginDataScan();
    // Tests one packet; false once the scan is over.
    bool ScanStep();
    void EndDataScan();
    void SetStreamLength(std::uint32_t length);
    void PauseStep() const;

    std::atomic<bool> m_formatted{false};
    mutable std::mutex m_countLock;
    std::uint32_t m_packetCount = 0;
    mutable std::mutex m_streamLock;
    std::atomic<std::uint32_t> m_position{0};
    CQX4KPacket m_scanPacket;
    KWRawDrive m_scan;
    std::uint32_t m_streamLength = 0;
    QXScanCursor m_cursor;
    std::atomic<std::uint32_t> m_scanReads{0};
    // The deferred scan's timer: set on the worker, fired and cleared on the timer thread,
    // cleared by Close; the lock keeps a firing timer and Close from crossing.
    std::mutex m_timerLock;
    std::atomic<std::uint32_t> m_timerId{0};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_paced{true};
};
