#pragma once
#include "KWCpuFeatures.h"

#include <gtest/gtest.h>

#include <ostream>

// The levels with vector kernels, each compared with the portable one.
inline constexpr KWSimdLevel kKWVectorLevels[] = {KWSimdLevel::kSse2, KWSimdLevel::kAvx2};

// Names the level in parameterised test names and failure messages.
inline void PrintTo(KWSimdLevel level, std::ostream* os) {
    switch (level) {
    case KWSimdLevel::kPortable:
        *os << "Portable";
        break;
    case KWSimdLevel::kSse2:
        *os << "Sse2";
        break;
    case KWSimdLevel::kAvx2:
        *os << "Avx2";
        break;
    }
}

// A test run once for each level of kKWVectorLevels; skipped where this build or processor lacks
// the level.
class KWSimdLevelTest : public testing::TestWithParam<KWSimdLevel> {
protected:
    void SetUp() override {
        if (!KWSimdLevelAvailable(GetParam()))
            GTEST_SKIP() << "this build or processor lacks the level";
    }
};
