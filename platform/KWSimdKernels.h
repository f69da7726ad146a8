#pragma once
#include "KWCpuFeatures.h"

#include <array>
#include <atomic>
#include <cstddef>

// One area's kernels (a struct of function pointers) for each instruction-set level, and the set
// in use: the best available level's from the start, another one once selected, so that tests
// and benchmarks can compare the levels. Every level's kernels give the same results. Reading
// the set in use is safe from any thread, also while another one selects.
template <typename Kernels> class KWSimdKernels {
public:
    // Indexed by KWSimdLevel. A null entry (the area has no kernels of its own for the level, or
    // this build has none) takes the next lower level's; the portable entry must be set.
    using ByLevel = std::array<const Kernels*, kKWSimdLevelCount>;

    explicit KWSimdKernels(const ByLevel& byLevel)
        : m_byLevel(FillGaps(byLevel)), m_current(m_byLevel[Index(KWBestSimdLevel())]) {}
    KWSimdKernels(const KWSimdKernels&) = delete;
    KWSimdKernels& operator=(const KWSimdKernels&) = delete;

    const Kernels& Current() const { return *m_current.load(std::memory_order_relaxed); }

    // Uses the kernels of `level` from now on. False, changing nothing, when this build or the
    // processor lacks the level.
    bool Select(KWSimdLevel level) {
        if (!KWSimdLevelAvailable(level))
            return false;
        m_current.store(m_byLevel[Index(level)], std::memory_order_relaxed);
        return true;
    }

private:
    static constexpr std::size_t Index(KWSimdLevel level) {
        return static_cast<std::size_t>(level);
    }

    static ByLevel FillGaps(ByLevel byLevel) {
        for (std::size_t i = 1; i < byLevel.size(); ++i)
            if (!byLevel[i])
                byLevel[i] = byLevel[i - 1];
        return byLevel;
    }

    const ByLevel m_byLevel;
    // The kernels are constant tables, so no ordering beyond the pointer's own is needed.
    std::atomic<const Kernels*> m_current;
};
