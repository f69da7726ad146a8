#include "CQXChannelCycle.h"

#include "QXChannelSet.h"

#include <algorithm>

void CQXChannelCycle::Restart(std::uint64_t place) {
    m_counter = 0;
    m_lastShown = m_lowest = place;
    m_passed = false;
}

void CQXChannelCycle::Count(std::uint64_t place, std::uint8_t channelSet) {
    m_lowest = m_counter == 0 ? place : std::min(m_lowest, place);
    m_lastShown = place;
    m_passed = false;
    ++m_counter;
    SetChannels(channelSet);
    if (m_counter >= m_channelCount)
        m_counter = 0;
}

void CQXChannelCycle::LearnChannels(std::uint8_t channelSet) {
    if (!m_channelsKnown)
        SetChannels(channelSet);
}

void CQXChannelCycle::SetChannels(std::uint8_t channelSet) {
    // A set without channel bits counts as one channel, so that cycles keep moving.
    m_channelCount = static_cast<std::uint8_t>(std::max(1, QXChannelSet::Count(channelSet)));
    m_channelsKnown = true;
}

void CQXChannelCycle::Pass(std::uint64_t place) {
    m_lastShown = place;
    m_lowest = std::min(m_lowest, place);
    m_passed = true;
}

void CQXChannelCycle::BackwardTarget(int cycles, std::uint64_t& anchor, int& frames) const {
    if (m_passed || m_counter != 0) {
        anchor = m_lastShown;
        frames = 1;
        return;
    }
    anchor = m_lowest;
    frames = (cycles - 1) * m_channelCount + 1;
}
