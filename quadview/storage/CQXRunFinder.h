#pragma once
#include "CQX4KPacket.h"
#include "QXTimestamp.h"

#include <cstdint>
#include <functional>
#include <vector>

class CQXStorageDevice;
class KWRawDrive;

// The deep scan: finds runs of recorded packets beyond the recorded stream's last packet, older
// recordings the recorder has not overwritten yet. By default it tests evenly spaced samples of
// the rest of the disk and bisects the edges of each run a sample hit: a 1 TB disk takes about
// 65,000 reads, one every 16 MB, so a run shorter than that (about a minute of recording) can
// slip between the samples. The full scan tests every packet. Reads through a read-only handle of
// its own on the device's drive.
class CQXRunFinder {
public:
    static constexpr std::uint32_t kDefaultSamples = 65536;
    // How far from a run's edge the first and last data packet (the ones with a time) are
    // looked for.
    static constexpr std::uint32_t kTimeLookPackets = 64;
    static constexpr std::uint32_t kFullScanChunk = 256; // packets per read of the full scan

    struct Run {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        bool timed = false; // a data packet was found near both edges
        QXTimestamp firstTime;
        QXTimestamp lastTime;
    };
    // Told now and then how far the scan is: packets covered of those beyond the stream.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    // `handle` must be open on `device`'s drive; both must outlive the finder.
    CQXRunFinder(CQXStorageDevice& device, KWRawDrive& handle);

    // The runs after the stream's end, in disk order. `samples` (at least 1) spaces the samples;
    // `full` tests every packet instead.
    std::vector<Run> Find(bool full, std::uint32_t samples = kDefaultSamples,
                          const Progress& progress = {});
    std::uint64_t GetReads() const { return m_reads; }

private:
    bool IsRecorded(std::uint32_t index);
    // The first recorded packet in (miss, hit], the hit known recorded and the miss not.
    std::uint32_t FirstRecorded(std::uint32_t miss, std::uint32_t hit);
    // The last recorded packet in [hit, miss).
    std::uint32_t LastRecorded(std::uint32_t hit, std::uint32_t miss);
    std::vector<Run> Sampled(std::uint32_t samples, const Progress& progress);
    std::vector<Run> Full(const Progress& progress);
    void AddTimes(Run& run);

    CQXStorageDevice& m_device;
    KWRawDrive& m_handle;
    std::uint32_t m_begin = 0; // the first packet after the stream
    std::uint32_t m_end = 0;   // one past the drive's last packet
    CQX4KPacket m_packet;
    std::uint64_t m_reads = 0;
};
