#include "CQXTimeSearch.h"

#include "CQXStorageDevice.h"

CQXTimeSearch::CQXTimeSearch(CQXStorageDevice& device, KWRawDrive& handle)
    : m_device(device), m_handle(handle), m_last(device.GetStreamLength()), m_dataEnd(m_last) {}

bool CQXTimeSearch::Read(std::uint32_t index) {
    return m_device.SeekSector(std::uint64_t{index} * CQX4KPacket::kSectors, &m_handle) &&
           m_device.ReadPacket(m_packet, &m_handle);
}

bool CQXTimeSearch::HoldsDataPacket() const {
    return m_packet.GetType() == CQX4KPacket::kTypeData && m_packet.IsValid();
}

bool CQXTimeSearch::ReadTail() {
    const std::uint32_t first = m_last >= kTailPackets - 1 ? m_last - (kTailPackets - 1) : 0;
    for (std::uint32_t index = first; index <= m_last; ++index)
        if (!Read(index))
            return false;
    return true;
}

bool CQXTimeSearch::NearestDataPacket(std::uint32_t index, std::optional<std::uint32_t>& found) {
    for (std::uint32_t after = index; after < m_dataEnd;) {
        if (!Read(++after))
            return false;
        if (HoldsDataPacket()) {
            found = after;
            return true;
        }
    }
    if (index < m_dataEnd)
        m_dataEnd = index;
    if (!m_lastDataKnown) {
        for (std::uint32_t before = index; before > 0;) {
            if (!Read(--before))
                return false;
            if (HoldsDataPacket()) {
                m_lastData = before;
                break;
            }
        }
        m_lastDataKnown = true;
    }
    found = m_lastData;
    return true;
}

bool CQXTimeSearch::TimeAt(std::uint32_t index, QXTimestamp& time) {
    if (!Read(index))
        return false;
    time = m_packet.GetTimestamp();
    if (HoldsDataPacket())
        return true;
    std::optional<std::uint32_t> nearest;
    if (!NearestDataPacket(index, nearest))
        return false;
    // Without any data packet the probe keeps the bytes it read.
    if (nearest) {
        if (!Read(*nearest))
            return false;
        time = m_packet.GetTimestamp();
    }
    return true;
}

CQXTimeSearch::Result CQXTimeSearch::Search(QXTimestamp target) {
    Result result;
    std::uint32_t lo = 0;
    std::uint32_t hi = m_last;
    QXTimestamp timeLo, timeHi;
    if (!ReadTail() || !TimeAt(lo, timeLo) || !TimeAt(hi, timeHi))
        return result;

    for (;;) {
        const auto mid = static_cast<std::uint32_t>((std::uint64_t{lo} + hi) / 2);
        QXTimestamp time;
        if (!TimeAt(mid, time))
            return result;
        ++result.steps;
        if (result.steps % kStepsPerMinute == 0) {
            if (result.steps >= kMaxSteps) {
                result.outcome = Outcome::kNotFound;
                return result;
            }
            ++target.minute;
        }
        if (time.IsEqual(target)) {
            result.outcome = Outcome::kFound;
            result.packet = mid;
            return result;
        }
        auto moveLo = [&] { lo = mid, timeLo = time; };
        auto moveHi = [&] { hi = mid, timeHi = time; };
        if (!timeLo.IsEarlier(timeHi)) {
            // Wrapped: the target may lie on either side of the wrap point, which T(hi) marks.
            if (time.IsLater(target)) {
                if (target.IsLater(timeHi) || time.IsEarlier(timeHi))
                    moveHi();
                if (time.IsLater(timeHi) && target.IsEarlier(timeHi))
                    moveLo();
            } else if (time.IsEarlier(target)) {
                if (time.IsLater(timeHi) || target.IsEarlier(timeHi))
                    moveLo();
                if (time.IsEarlier(timeHi) && target.IsLater(timeHi))
                    moveHi();
            }
        } else if (time.IsEarlier(target)) {
            moveLo();
        } else if (time.IsLater(target)) {
            moveHi();
        }
    }
}
