#include "CKWRateStatistics.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr std::uint32_t kEmptyMinimum = 0xFFFFFFFF;

// One figure with two decimals, scaled to millions or thousands from those values up.
std::string Scaled(double value) {
    const char* suffix = " ";
    if (value >= 1000000) {
        value /= 1000000;
        suffix = " M";
    } else if (value >= 1000) {
        value /= 1000;
        suffix = " K";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%-.2f%s", value, suffix);
    return text;
}
} // namespace

CKWRateStatistics::CKWRateStatistics(std::string name, std::uint8_t window)
    : m_name(std::move(name)) {
    SetWindow(window);
}

void CKWRateStatistics::Reset() {
    m_count = 0;
    m_last = 0;
    m_maximum = 0;
    m_minimum = kEmptyMinimum;
    m_average = 0;
    std::fill(m_ring.begin(), m_ring.end(), 0u);
}

void CKWRateStatistics::SetWindow(std::uint8_t window) {
    m_window = window;
    m_ring.assign(window, 0u);
    Reset();
}

void CKWRateStatistics::Add(std::uint32_t sample) {
    m_last = sample;
    if (m_window == 0) {
        ++m_count;
        m_maximum = std::max(m_maximum, sample);
        m_minimum = std::min(m_minimum, sample);
        m_average = (m_average * static_cast<float>(m_count - 1) + static_cast<float>(sample)) /
                    static_cast<float>(m_count);
        return;
    }
    m_ring[m_count % m_window] = sample;
    ++m_count;
    const auto filled = m_ring.begin() + std::min<std::uint32_t>(m_count, m_window);
    m_maximum = *std::max_element(m_ring.begin(), filled);
    m_minimum = *std::min_element(m_ring.begin(), filled);
    double sum = 0;
    for (auto it = m_ring.begin(); it != filled; ++it)
        sum += *it;
    m_average = static_cast<float>(sum / static_cast<double>(filled - m_ring.begin()));
}

float CKWRateStatistics::Average() const {
    return IsReady() ? m_average : 0.0f;
}

const std::string& CKWRateStatistics::Format() {
    if (m_count == 0)
        m_text = "0 [0 : 0 : 0]";
    else if (!IsReady())
        m_text = "Not Ready";
    else
        m_text = Scaled(m_last) + " [" + Scaled(m_minimum) + " : " + Scaled(m_average) + " : " +
                 Scaled(m_maximum) + "]";
    return m_text;
}
