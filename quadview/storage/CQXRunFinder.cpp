#include "CQXRunFinder.h"

#include "CQXStorageDevice.h"

#include <algorithm>
#include <vector>

namespace {
constexpr std::uint32_t kProgressEverySamples = 1024;

bool HoldsTime(const CQX4KPacket& packet) {
    return packet.GetType() == CQX4KPacket::kTypeData && packet.IsValid();
}
} // namespace

CQXRunFinder::CQXRunFinder(CQXStorageDevice& device, KWRawDrive& handle)
    : m_device(device), m_handle(handle) {
    const std::uint32_t count = device.GetPacketCount();
    m_begin = device.IsFormatted() ? std::min(device.GetStreamLength() + 1, count) : 0;
    m_end = count;
}

bool CQXRunFinder::IsRecorded(std::uint32_t index) {
    ++m_reads;
    return m_device.SeekSector(std::uint64_t{index} * CQX4KPacket::kSectors, &m_handle) &&
           m_device.ReadPacket(m_packet, &m_handle) && m_packet.IsRecorded();
}

std::uint32_t CQXRunFinder::FirstRecorded(std::uint32_t miss, std::uint32_t hit) {
    while (hit - miss > 1) {
        const std::uint32_t middle = miss + (hit - miss) / 2;
        (IsRecorded(middle) ? hit : miss) = middle;
    }
    return hit;
}

std::uint32_t CQXRunFinder::LastRecorded(std::uint32_t hit, std::uint32_t miss) {
    while (miss - hit > 1) {
        const std::uint32_t middle = hit + (miss - hit) / 2;
        (IsRecorded(middle) ? hit : miss) = middle;
    }
    return hit;
}

void CQXRunFinder::AddTimes(Run& run) {
    bool first = false, last = false;
    const std::uint32_t look = std::min(run.last - run.first, kTimeLookPackets);
    for (std::uint32_t i = 0; i <= look && !first; ++i) {
        if (IsRecorded(run.first + i) && HoldsTime(m_packet)) {
            run.firstTime = m_packet.GetTimestamp();
            first = true;
        }
    }
    for (std::uint32_t i = 0; i <= look && !last; ++i) {
        if (IsRecorded(run.last - i) && HoldsTime(m_packet)) {
            run.lastTime = m_packet.GetTimestamp();
            last = true;
        }
    }
    run.timed = first && last;
}

std::vector<CQXRunFinder::Run> CQXRunFinder::Find(bool full, std::uint32_t samples,
                                                  const Progress& progress) {
    m_reads = 0;
    if (m_begin >= m_end)
        return {};
    std::vector<Run> runs = full ? Full(progress) : Sampled(std::max(samples, 1u), progress);
    for (Run& run : runs)
        AddTimes(run);
    return runs;
}

std::vector<CQXRunFinder::Run> CQXRunFinder::Sampled(std::uint32_t samples,
                                                     const Progress& progress) {
    const std::uint64_t total = m_end - m_begin;
    const std::uint64_t stride = std::max<std::uint64_t>(1, (total + samples - 1) / samples);
    std::vector<Run> runs;
    Run run;
    bool inRun = false;
    std::uint32_t lastHit = 0, lastMiss = 0;
    std::uint32_t tested = 0;
    // The samples are spaced by `stride` from the first packet after the stream; the last one
    // tests the drive's last packet.
    for (std::uint64_t at = m_begin;; at += stride) {
        const bool lastSample = at >= m_end - 1;
        const auto index = static_cast<std::uint32_t>(lastSample ? m_end - 1 : at);
        const bool hit = IsRecorded(index);
        if (hit && !inRun) {
            run.first = index == m_begin ? index : FirstRecorded(lastMiss, index);
            inRun = true;
        }
        if (!hit && inRun) {
            run.last = LastRecorded(lastHit, index);
            runs.push_back(run);
            inRun = false;
        }
        (hit ? lastHit : lastMiss) = index;
        if (progress && ++tested % kProgressEverySamples == 0)
            progress(index - m_begin, total);
        if (lastSample)
            break;
    }
    if (inRun) {
        run.last = lastHit; // the last sample, the drive's last packet, was a hit
        runs.push_back(run);
    }
    if (progress)
        progress(total, total);
    return runs;
}

std::vector<CQXRunFinder::Run> CQXRunFinder::Full(const Progress& progress) {
    const std::uint64_t total = m_end - m_begin;
    std::vector<Run> runs;
    Run run;
    bool inRun = false;
    std::vector<std::uint8_t> buffer(std::size_t{kFullScanChunk} * CQX4KPacket::kSize);
    CQX4KPacket packet;
    for (std::uint64_t at = m_begin; at < m_end; at += kFullScanChunk) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(kFullScanChunk, m_end - at));
        ++m_reads;
        const std::uint32_t bytes =
            m_device.SeekSector(at * CQX4KPacket::kSectors, &m_handle)
                ? m_device.ReadSectors(count * CQX4KPacket::kSectors, buffer.data(),
                                       static_cast<std::uint32_t>(buffer.size()), &m_handle)
                : 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto index = static_cast<std::uint32_t>(at + i);
            bool hit = false;
            if ((i + 1) * CQX4KPacket::kSize <= bytes) {
                std::copy_n(buffer.data() + std::size_t{i} * CQX4KPacket::kSize, CQX4KPacket::kSize,
                            packet.GetData());
                packet.ExchangeBytes();
                hit = packet.IsRecorded();
            }
            if (hit && !inRun) {
                run.first = index;
                inRun = true;
            } else if (!hit && inRun) {
                run.last = index - 1;
                runs.push_back(run);
                inRun = false;
            }
        }
        if (progress)
            progress(at + count - m_begin, total);
    }
    if (inRun) {
        run.last = m_end - 1;
        runs.push_back(run);
    }
    return runs;
}
