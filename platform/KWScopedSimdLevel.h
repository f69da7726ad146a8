#pragma once
#include "KWCpuFeatures.h"

// Selects one instruction-set level of an area's kernels, through the area's select call, for
// its lifetime; afterwards the best available level is back. For tests and benchmarks that
// compare the levels.
class KWScopedSimdLevel {
public:
    using Select = bool (*)(KWSimdLevel level);

    KWScopedSimdLevel(Select select, KWSimdLevel level)
        : m_select(select), m_selected(select(level)) {}
    ~KWScopedSimdLevel() { m_select(KWBestSimdLevel()); }
    KWScopedSimdLevel(const KWScopedSimdLevel&) = delete;
    KWScopedSimdLevel& operator=(const KWScopedSimdLevel&) = delete;

    // False when this build or processor lacks the level; the best one stays in use then.
    bool Selected() const { return m_selected; }

private:
    Select m_select;
    bool m_selected;
};
