#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Last, minimum, average and maximum of a series of samples, over all samples (window 0) or
// over the last `window` samples, formatted as one line for the diagnostics text.
class CKWRateStatistics {
public:
    explicit CKWRateStatistics(std::string name = "", std::uint8_t window = 0);

    void Reset();
    // Sets the window size (0 = all samples) and starts over.
    void SetWindow(std::uint8_t window);
    void Add(std::uint32_t sample);
    bool IsReady() const { return m_count >= m_window; }
    // 0 while a windowed statistic is not ready.
    float Average() const;
    // "0 [0 : 0 : 0]" before the first sample, "Not Ready" while a window is not yet full, else
    // "last [minimum : average : maximum]", each with two decimals and a K or M scale.
    const std::string& Format();

    std::uint32_t GetCount() const { return m_count; }
    std::uint32_t GetLast() const { return m_last; }
    std::uint32_t GetMaximum() const { return m_maximum; }
    std::uint32_t GetMinimum() const { return m_minimum; }
    const std::string& GetName() const { return m_name; }

private:
    std::uint32_t m_count = 0;
    std::uint32_t m_last = 0;
    std::uint32_t m_maximum = 0;
    std::uint32_t m_minimum = 0;
    float m_average = 0;
    std::string m_name;
    std::string m_text;
    std::uint8_t m_window = 0;
    std::vector<std::uint32_t> m_ring;
};
